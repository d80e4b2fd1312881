#include "enginehost/EngineLoadMessage.h"

std::string EngineLoadMessage(const std::string& library, const std::string& entryPoint) {
  return std::string("运行时出错!\r\n\r\n") + "错误信息：" + "无法找到指定DLL库文件“" + library + "”中的输出命令“" +
         entryPoint + "”";
}
