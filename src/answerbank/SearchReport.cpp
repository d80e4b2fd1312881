#include "answerbank/SearchReport.h"

const char* const kSearchingText = "正在搜索中，请稍等……";

std::string SearchReport(int count) {
  if (count == 0) return "搜索完毕，没有发现所搜索的内容，请点击上方浏览器模式进行互联网搜索！";
  return "搜索完毕，一共出现 " + std::to_string(count) + "次内容，请点击上、下一条按钮精确定位！";
}
