#include "answerbank/search/SearchReport.h"

const char* const kSearchingText = "正在搜索中，请稍等……";

std::string SearchReport(int count) {
  if (count == 0) return "搜索完毕，没有发现所搜索的内容，请点击上方浏览器模式进行互联网搜索！";
  return "搜索完毕，一共出现 " + std::to_string(count) + "次内容，请点击上、下一条按钮精确定位！";
}

std::string FoldedSearchReport(int count) {
  return "搜索完毕，忽略空格、换行、全半角和标点的差异后，一共出现 " + std::to_string(count) +
         "次内容，请点击上、下一条按钮精确定位！";
}

std::string StemSearchReport(int count) {
  return "搜索完毕，忽略题号、题型、分值和选项后，一共出现 " + std::to_string(count) + "次内容，请点击上、下一条按钮精确定位！";
}

std::string ClosestSearchReport(int similarity, int count) {
  return "搜索完毕，没有完全相同的内容；最接近的内容（相似度 " + std::to_string(similarity) + "%）一共出现 " +
         std::to_string(count) + "处，已标红，请核对！";
}
