// Generated answer banks and exam-page captures of their questions, for the
// tests and benchmarks of the local search.
//
// A bank is one course's questions as a student keeps them: numbered, grouped
// by type under section headings, each choice question followed by its
// lettered options and every question by an answer line, in one of several
// document styles. A capture is a question as an exam or practice page shows
// it and a drag over the page copies it: with the page's own number, type
// label and score, its options in the page's order, the true/false choices,
// or a reviewed paper's answer and score lines.
#pragma once
#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace exambank {

using Random = std::mt19937;

inline size_t Pick(Random& random, size_t count) { return static_cast<size_t>(random() % count); }
inline bool Chance(Random& random, int percent) { return static_cast<int>(random() % 100) < percent; }
template <typename T>
const T& OneOf(Random& random, const std::vector<T>& items) {
  return items[Pick(random, items.size())];
}

// ---- Course material ----

struct Course {
  const char16_t* name;
  std::vector<std::u16string> terms;
};

inline const std::vector<Course>& Courses() {
  static const std::vector<Course> courses = {
      {u"计算机网络",
       {u"传输控制协议", u"用户数据报协议", u"网际协议", u"路由器", u"交换机", u"集线器", u"子网掩码", u"默认网关",
        u"域名系统", u"动态主机配置协议", u"超文本传输协议", u"物理层", u"数据链路层", u"网络层", u"传输层", u"应用层",
        u"三次握手", u"滑动窗口", u"拥塞控制", u"流量控制", u"差错检测", u"循环冗余校验", u"以太网", u"无线局域网",
        u"虚拟局域网", u"网络地址转换", u"套接字", u"端口号", u"带宽", u"传播时延", u"分组交换", u"电路交换", u"光纤",
        u"双绞线", u"防火墙", u"TCP报文段", u"IP数据报", u"MAC地址"}},
      {u"操作系统",
       {u"进程", u"线程", u"进程控制块", u"处理机调度", u"时间片轮转", u"先来先服务", u"短作业优先", u"死锁",
        u"银行家算法", u"信号量", u"临界区", u"进程互斥", u"进程同步", u"虚拟存储器", u"页式存储管理", u"段式存储管理",
        u"页面置换算法", u"最近最久未使用算法", u"缺页中断", u"快表", u"文件控制块", u"索引结点", u"磁盘调度",
        u"设备驱动程序", u"中断处理", u"系统调用", u"批处理系统", u"分时系统", u"实时系统", u"内核态", u"用户态",
        u"PV操作", u"作业调度"}},
      {u"马克思主义基本原理",
       {u"物质", u"意识", u"实践", u"认识", u"真理", u"价值", u"矛盾", u"对立统一规律", u"质量互变规律",
        u"否定之否定规律", u"生产力", u"生产关系", u"经济基础", u"上层建筑", u"社会存在", u"社会意识", u"人民群众",
        u"剩余价值", u"商品", u"货币", u"资本", u"劳动力商品", u"价值规律", u"资本积累", u"垄断资本主义",
        u"经济全球化", u"社会主义", u"共产主义", u"唯物辩证法", u"历史唯物主义", u"认识的本质", u"主观能动性"}},
      {u"管理学",
       {u"计划职能", u"组织职能", u"领导职能", u"控制职能", u"管理决策", u"目标管理", u"科学管理理论", u"霍桑实验",
        u"需要层次理论", u"双因素理论", u"期望理论", u"公平理论", u"管理幅度", u"管理层次", u"直线职能制",
        u"事业部制", u"矩阵结构", u"授权", u"集权", u"分权", u"组织文化", u"前馈控制", u"反馈控制", u"现场控制",
        u"战略管理", u"SWOT分析", u"头脑风暴法", u"德尔菲法", u"激励", u"组织沟通", u"非正式组织", u"管理者角色"}},
      {u"数据结构",
       {u"线性表", u"顺序表", u"单链表", u"双向链表", u"栈", u"队列", u"循环队列", u"串", u"数组", u"稀疏矩阵",
        u"二叉树", u"完全二叉树", u"满二叉树", u"哈夫曼树", u"二叉排序树", u"平衡二叉树", u"图", u"邻接矩阵",
        u"邻接表", u"深度优先搜索", u"广度优先搜索", u"最小生成树", u"拓扑排序", u"关键路径", u"最短路径", u"哈希表",
        u"折半查找", u"快速排序", u"堆排序", u"归并排序", u"时间复杂度", u"KMP算法"}},
      {u"中国近现代史纲要",
       {u"鸦片战争", u"太平天国运动", u"洋务运动", u"戊戌维新", u"辛亥革命", u"新文化运动", u"五四运动",
        u"中国共产党的成立", u"国民革命", u"井冈山革命根据地", u"遵义会议", u"红军长征", u"抗日民族统一战线",
        u"全面抗战", u"解放战争", u"新民主主义革命", u"中华人民共和国的成立", u"过渡时期总路线", u"社会主义改造",
        u"改革开放", u"南京条约", u"马关条约", u"辛丑条约", u"三民主义", u"中体西用", u"农村包围城市", u"土地革命",
        u"七七事变", u"重庆谈判", u"延安整风"}},
      {u"基础会计",
       {u"会计要素", u"资产", u"负债", u"所有者权益", u"收入", u"费用", u"利润", u"会计科目", u"借贷记账法",
        u"复式记账", u"会计凭证", u"原始凭证", u"记账凭证", u"会计账簿", u"试算平衡", u"资产负债表", u"利润表",
        u"现金流量表", u"权责发生制", u"收付实现制", u"固定资产折旧", u"存货", u"应收账款", u"坏账准备", u"实收资本",
        u"资本公积", u"盈余公积", u"财产清查", u"会计分录", u"持续经营假设"}},
      {u"生理学",
       {u"细胞膜", u"静息电位", u"动作电位", u"兴奋性", u"阈值", u"神经递质", u"突触传递", u"骨骼肌收缩",
        u"血浆渗透压", u"红细胞", u"血小板", u"血液凝固", u"心输出量", u"心动周期", u"动脉血压", u"肺通气", u"肺换气",
        u"氧解离曲线", u"胃液", u"胰液", u"胆汁", u"基础代谢率", u"体温调节", u"肾小球滤过率", u"抗利尿激素",
        u"醛固酮", u"甲状腺激素", u"胰岛素", u"反射弧", u"条件反射", u"Na+通道"}},
      {u"西方经济学",
       {u"需求", u"供给", u"均衡价格", u"需求价格弹性", u"边际效用", u"无差异曲线", u"预算线", u"生产函数",
        u"边际产量", u"规模经济", u"机会成本", u"完全竞争市场", u"垄断市场", u"寡头市场", u"外部性", u"公共物品",
        u"国内生产总值", u"消费函数", u"投资乘数", u"通货膨胀", u"失业率", u"菲利普斯曲线", u"财政政策", u"货币政策",
        u"存款准备金率", u"利率", u"汇率", u"经济增长", u"商业周期", u"比较优势", u"GDP平减指数"}},
      {u"法学概论",
       {u"法律关系", u"法律行为", u"法律责任", u"宪法", u"民事权利能力", u"民事行为能力", u"诉讼时效", u"代理",
        u"合同的订立", u"要约", u"承诺", u"违约责任", u"侵权责任", u"物权", u"所有权", u"抵押权", u"犯罪构成",
        u"正当防卫", u"紧急避险", u"刑罚", u"行政许可", u"行政复议", u"行政诉讼", u"举证责任", u"管辖",
        u"回避制度", u"上诉", u"再审", u"法的效力", u"法律解释"}},
  };
  return courses;
}

inline const std::vector<std::u16string>& Aspects() {
  static const std::vector<std::u16string> aspects = {
      u"特点", u"作用", u"本质", u"核心", u"基本原则", u"主要内容", u"基本特征", u"主要任务", u"前提条件",
      u"意义", u"局限性", u"实现方式", u"适用范围", u"组成部分", u"判断标准", u"基本要求", u"发展趋势"};
  return aspects;
}

// Templates: {A} and {B} are two different terms of the course, {P} one of
// its aspects, {N} a number, {L} an opening clause (often none).
enum class QuestionType { Single, Multiple, TrueFalse, FillIn, Essay };

using Phrases = std::vector<std::u16string>;

// The list of a question type's phrases among one list per type.
inline const Phrases& ForType(QuestionType type, const Phrases& single, const Phrases& multiple,
                              const Phrases& trueFalse, const Phrases& fillIn, const Phrases& essay) {
  switch (type) {
    case QuestionType::Single: return single;
    case QuestionType::Multiple: return multiple;
    case QuestionType::TrueFalse: return trueFalse;
    case QuestionType::FillIn: return fillIn;
    default: return essay;
  }
}

inline const std::vector<std::u16string>& Templates(QuestionType type) {
  static const std::vector<std::u16string> single = {
      u"{L}下列关于{A}的说法中，正确的是（ ）", u"{L}下列关于{A}的叙述，错误的是（ ）", u"{A}的主要{P}是（ ）",
      u"在{A}中，{B}的主要作用是（ ）", u"以下不属于{A}的{P}的是（ ）", u"{L}{A}是指（ ）",
      u"{A}与{B}的根本区别在于（ ）", u"根据{A}的基本原理，{B}属于（ ）", u"在{A}的过程中，首先需要确定的是（ ）",
      u"{L}{A}的核心内容是（ ）", u"下列选项中，与{A}关系最密切的是（ ）", u"{A}产生的直接原因是（ ）",
      u"衡量{A}的主要指标是（ ）", u"某单位在处理{A}时发现{B}出现异常，最可能的原因是（ ）",
      u"{A}和{B}都属于（ ）", u"关于{A}与{B}的关系，下列表述正确的是（ ）", u"{L}{A}的{P}不包括（ ）",
      u"在{A}中，用来描述{B}的是（ ）", u"下列哪一项是{A}的{P}（ ）", u"{N}年前后提出的{A}，其主要目的是（ ）",
      u"{L}对{A}起决定作用的是（ ）", u"{A}的{P}主要体现在（ ）", u"若要提高{A}的效率，通常应当优先考虑（ ）",
      u"教材中将{A}的{P}概括为（ ）", u"{L}与{A}相比，{B}的优点在于（ ）"};
  static const std::vector<std::u16string> multiple = {
      u"{L}下列属于{A}的{P}的有（ ）", u"{A}的基本特征包括（ ）", u"影响{A}的因素主要有（ ）",
      u"{A}与{B}的共同点有（ ）", u"下列关于{A}的说法，正确的有（ ）", u"{L}{A}的{P}主要表现在（ ）",
      u"在{A}中，与{B}有关的是（ ）", u"构成{A}的要素有（ ）"};
  static const std::vector<std::u16string> trueFalse = {
      u"{A}是{B}的基础。", u"{A}属于{B}的范畴。", u"{L}{A}的核心是{B}。", u"{A}与{B}是同一个概念。",
      u"{A}决定{B}，{B}反作用于{A}。", u"在{A}中，{B}起决定性作用。", u"没有{A}就没有{B}。",
      u"{A}的{P}在于{B}。", u"{L}{A}可以完全代替{B}。", u"{A}的{P}与{B}无关。"};
  static const std::vector<std::u16string> fillIn = {
      u"{A}的核心是______。", u"{A}由______和{B}两部分组成。", u"在{A}中，{B}又称为______。",
      u"{A}的三个基本要素是______、______和{B}。", u"{L}{A}的{P}是______。", u"{B}是{A}的______。"};
  static const std::vector<std::u16string> essay = {
      u"简述{A}的主要内容。", u"试述{A}与{B}的区别与联系。", u"简要说明{A}在{B}中的作用。",
      u"什么是{A}？它有哪些{P}？", u"结合实际，谈谈你对{A}的理解。", u"{L}请分析{A}的{P}。"};
  return ForType(type, single, multiple, trueFalse, fillIn, essay);
}

// Stems that banks repeat word for word, each with its own options.
inline const std::vector<std::u16string>& RepeatedStems() {
  static const std::vector<std::u16string> stems = {u"下列说法正确的是（ ）", u"下列说法错误的是（ ）",
                                                    u"以下说法中正确的是（ ）", u"下列叙述中正确的是（ ）"};
  return stems;
}

inline const std::vector<std::u16string>& OpeningClauses() {
  static const std::vector<std::u16string> clauses = {
      u"在{B}中，", u"根据{B}的有关规定，", u"从{B}的角度看，", u"与{B}相比，", u"在讨论{B}时，",
      u"为了正确理解{B}，", u"一般认为，", u"通常情况下，", u"按照教材的观点，"};
  return clauses;
}

inline std::u16string Replace(std::u16string text, const std::u16string& key, const std::u16string& value) {
  for (size_t at = text.find(key); at != std::u16string::npos; at = text.find(key, at + value.size())) {
    text.replace(at, key.size(), value);
  }
  return text;
}

inline std::u16string Number(long long n) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + n % 10));
    n /= 10;
  } while (n > 0);
  return digits;
}

inline std::u16string TypeName(QuestionType type) {
  switch (type) {
    case QuestionType::Single: return u"单选题";
    case QuestionType::Multiple: return u"多选题";
    case QuestionType::TrueFalse: return u"判断题";
    case QuestionType::FillIn: return u"填空题";
    default: return u"简答题";
  }
}

// ---- Questions ----

struct Question {
  QuestionType type = QuestionType::Single;
  std::u16string stem;                  // as the bank writes it, blank included
  std::vector<std::u16string> options;  // choice questions: A, B, C… in the bank's order
  std::u16string answer;                // letters, 对 / 错, or the text
  int course = 0;
};

inline std::u16string FillTemplate(Random& random, const Course& course, const std::u16string& pattern) {
  const std::u16string& a = OneOf(random, course.terms);
  std::u16string b = OneOf(random, course.terms);
  while (b == a) b = OneOf(random, course.terms);
  std::u16string text = pattern;
  if (text.find(u"{L}") != std::u16string::npos) {
    std::u16string clause;
    if (Chance(random, 35)) {
      std::u16string other = OneOf(random, course.terms);
      while (other == a) other = OneOf(random, course.terms);
      clause = Replace(OneOf(random, OpeningClauses()), u"{B}", other);
    }
    text = Replace(text, u"{L}", clause);
  }
  text = Replace(text, u"{A}", a);
  text = Replace(text, u"{B}", b);
  text = Replace(text, u"{P}", OneOf(random, Aspects()));
  return Replace(text, u"{N}", Number(1850 + static_cast<long long>(Pick(random, 170))));
}

inline std::u16string OptionText(Random& random, const Course& course) {
  const std::u16string& term = OneOf(random, course.terms);
  switch (Pick(random, 12)) {
    case 0: return term + u"的" + OneOf(random, Aspects());
    case 1: return u"提高" + term + u"的效率";
    case 2: return term + u"与" + OneOf(random, course.terms) + u"相互作用";
    case 3: return u"由" + term + u"决定";
    default: return term;
  }
}

// The short templates one course's teachers use: each course its own two in
// five of them, as courses rarely phrase their questions alike.
inline std::vector<std::u16string> CourseTemplates(int courseIndex, QuestionType type) {
  const std::vector<std::u16string>& all = Templates(type);
  std::vector<std::u16string> used;
  for (size_t i = 0; i < all.size(); ++i) {
    if ((i * 7 + static_cast<size_t>(courseIndex) * 13) % 5 < 2) used.push_back(all[i]);
  }
  if (used.empty()) used.push_back(all[static_cast<size_t>(courseIndex) % all.size()]);
  return used;
}

// Relations between two terms, for the questions that state a fact first.
inline const std::vector<std::u16string>& Relations() {
  static const std::vector<std::u16string> relations = {
      u"{A}依赖于{B}", u"{A}决定了{B}的{P}", u"{A}不同于{B}", u"{A}通过{B}实现其{P}", u"{A}包含{B}",
      u"{A}会影响{B}", u"{A}属于{B}的一部分", u"{A}的{P}取决于{B}", u"{A}可以用来描述{B}", u"{A}先于{B}出现",
      u"{A}与{B}相互制约", u"{A}是{B}的前提", u"{A}为{B}提供条件", u"{A}在{B}之后进行", u"{A}对{B}的{P}起主导作用",
      u"{A}改变了{B}的{P}", u"{A}反映了{B}的要求"};
  return relations;
}

inline const std::vector<std::u16string>& Contexts() {
  static const std::vector<std::u16string> contexts = {
      u"在{C}中，", u"某单位在使用{C}时，", u"{N}年，", u"当{C}发生变化时，", u"假设{C}已经完成，",
      u"对于采用{C}的情形，", u"从{C}的角度分析，", u"在学习{C}时，有同学认为", u"按照教材的观点，",
      u"在实际工作中，", u"如果不考虑{C}，"};
  return contexts;
}

// How the question that follows a stated fact asks.
inline const std::vector<std::u16string>& Endings(QuestionType type) {
  static const std::vector<std::u16string> single = {
      u"，下列说法正确的是（ ）", u"，其主要原因是（ ）", u"，这体现了（ ）", u"，则{D}的{P}是（ ）",
      u"，此时{D}应当（ ）", u"，这说明了（ ）", u"，由此可见（ ）", u"，与之最相关的是（ ）",
      u"，下列选项中错误的是（ ）", u"，{D}的作用是（ ）"};
  static const std::vector<std::u16string> multiple = {u"，下列说法正确的有（ ）", u"，{D}的{P}包括（ ）",
                                                       u"，由此可以得出的结论有（ ）", u"，其影响表现在（ ）",
                                                       u"，需要考虑的因素有（ ）"};
  static const std::vector<std::u16string> trueFalse = {u"。", u"，因此{D}与之无关。", u"，所以{D}也随之改变。",
                                                        u"，这是{D}的{P}。", u"，并且不受{D}影响。"};
  static const std::vector<std::u16string> fillIn = {u"，其{P}称为______。", u"，{D}的{P}是______。",
                                                     u"，这一过程叫做______。", u"，二者之间的关系称为______。"};
  static const std::vector<std::u16string> essay = {u"。请结合{D}，分析其{P}。", u"。试说明其{P}。",
                                                    u"。请谈谈你对这一观点的理解。", u"。这对{D}有什么启示？"};
  return ForType(type, single, multiple, trueFalse, fillIn, essay);
}

// A stem that states a fact of the course and then asks about it.
inline std::u16string ComposedStem(Random& random, const Course& course, QuestionType type) {
  std::u16string pattern;
  if (Chance(random, 55)) pattern += OneOf(random, Contexts());
  pattern += OneOf(random, Relations());
  if (Chance(random, 30)) pattern += u"，" + Replace(Replace(OneOf(random, Relations()), u"{A}", u"{C}"), u"{B}", u"{D}");
  pattern += OneOf(random, Endings(type));
  std::vector<std::u16string> terms;
  while (terms.size() < 4) {
    const std::u16string& t = OneOf(random, course.terms);
    if (std::find(terms.begin(), terms.end(), t) == terms.end()) terms.push_back(t);
  }
  std::u16string text = pattern;
  const char16_t* keys[] = {u"{A}", u"{B}", u"{C}", u"{D}"};
  for (size_t k = 0; k < 4; ++k) text = Replace(text, keys[k], terms[k]);
  for (size_t at = text.find(u"{P}"); at != std::u16string::npos; at = text.find(u"{P}")) {
    text.replace(at, 3, OneOf(random, Aspects()));
  }
  return Replace(text, u"{N}", Number(1850 + static_cast<long long>(Pick(random, 170))));
}

inline Question MakeQuestion(Random& random, int courseIndex, QuestionType type) {
  const Course& course = Courses()[static_cast<size_t>(courseIndex)];
  Question q;
  q.type = type;
  q.course = courseIndex;
  const bool choice = type == QuestionType::Single || type == QuestionType::Multiple;
  if (choice && Chance(random, 1)) {
    q.stem = OneOf(random, RepeatedStems());
  } else if (Chance(random, type == QuestionType::TrueFalse ? 40 : 15)) {
    q.stem = FillTemplate(random, course, OneOf(random, CourseTemplates(courseIndex, type)));
  } else {
    q.stem = ComposedStem(random, course, type);
  }
  if (choice) {
    const size_t count = type == QuestionType::Multiple && Chance(random, 40) ? 5 : 4;
    while (q.options.size() < count) {
      std::u16string option = OptionText(random, course);
      if (q.options.size() + 1 == count && Chance(random, 8)) option = Chance(random, 50) ? u"以上都对" : u"以上都不对";
      if (std::find(q.options.begin(), q.options.end(), option) == q.options.end()) q.options.push_back(option);
    }
    if (type == QuestionType::Single) {
      q.answer = std::u16string(1, static_cast<char16_t>(u'A' + Pick(random, count)));
    } else {
      for (size_t i = 0; i < count; ++i) {
        if (Chance(random, 60) || (i + 1 == count && q.answer.size() < 2)) q.answer += static_cast<char16_t>(u'A' + i);
      }
    }
  } else if (type == QuestionType::TrueFalse) {
    q.answer = Chance(random, 50) ? u"对" : u"错";
  } else if (type == QuestionType::FillIn) {
    q.answer = OneOf(random, course.terms);
  } else {
    q.answer = OneOf(random, course.terms) + u"是" + OneOf(random, course.terms) + u"的" + OneOf(random, Aspects()) +
               u"，二者相互联系、相互影响，在实践中应当结合" + OneOf(random, course.terms) + u"加以理解。";
  }
  return q;
}

// ---- The bank document ----

struct BankEntry {
  Question question;
  long long boxStart = 0;  // box positions (CR LF one) from its number to the next question
  long long boxEnd = 0;
};

struct Bank {
  std::u16string text;  // CR LF line ends, as the box gives it
  std::vector<BankEntry> entries;
};

// How one student's document writes its questions.
struct BankStyle {
  int numbering;     // 0 "12." 1 "12、" 2 "12．" 3 "第12题 "
  int blank;         // 0 "（ ）" 1 "（  ）" 2 "( )" 3 "（）"
  int optionLayout;  // 0 one a line, 1 two a line, 2 all on one line, 3 on the stem's line
  int optionMark;    // 0 "A." 1 "A、" 2 "A．" 3 "A:"
  int answerLine;    // 0 "答案：" 1 "正确答案：" 2 "【答案】" 3 "参考答案："
  int trueFalse;     // 0 对/错 1 √/× 2 正确/错误
  bool blankLines;
  bool headings;
};

inline BankStyle RandomStyle(Random& random) {
  BankStyle s;
  s.numbering = static_cast<int>(Pick(random, 4));
  s.blank = static_cast<int>(Pick(random, 4));
  s.optionLayout = static_cast<int>(Pick(random, 4));
  s.optionMark = static_cast<int>(Pick(random, 4));
  s.answerLine = static_cast<int>(Pick(random, 4));
  s.trueFalse = static_cast<int>(Pick(random, 3));
  s.blankLines = Chance(random, 40);
  s.headings = Chance(random, 70);
  return s;
}

inline std::u16string WithBlank(const std::u16string& stem, int blank) {
  static const char16_t* blanks[] = {u"（ ）", u"（  ）", u"( )", u"（）"};
  return Replace(stem, u"（ ）", blanks[blank]);
}

inline long long BoxLength(const std::u16string& text) {
  long long n = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;  // CR LF is one position
    ++n;
  }
  return n;
}

inline std::u16string TrueFalseWord(bool yes, int style) {
  static const char16_t* words[][2] = {{u"对", u"错"}, {u"√", u"×"}, {u"正确", u"错误"}};
  return words[style][yes ? 0 : 1];
}

// A bank of `count` questions of course `courseIndex`, no stem twice except
// the repeated ones.
inline Bank MakeBank(Random& random, int courseIndex, int count) {
  const BankStyle style = RandomStyle(random);
  // Types in the proportions of a course's exercise book, grouped as it groups them.
  const QuestionType order[] = {QuestionType::Single, QuestionType::Multiple, QuestionType::TrueFalse,
                                QuestionType::FillIn, QuestionType::Essay};
  const int shares[] = {45, 20, 20, 10, 5};
  static const char16_t* headingNames[] = {u"单项选择题", u"多项选择题", u"判断题", u"填空题", u"简答题"};
  static const char16_t* chineseNumbers[] = {u"一", u"二", u"三", u"四", u"五"};
  static const char16_t* marks[] = {u".", u"、", u"．", u":"};
  static const char16_t* answers[] = {u"答案：", u"正确答案：", u"【答案】", u"参考答案："};
  Bank bank;
  std::map<std::u16string, int> seen;
  int number = 0;
  for (int t = 0; t < 5; ++t) {
    const int inType = t == 4 ? count - number : count * shares[t] / 100;
    if (inType <= 0) continue;
    if (style.headings) bank.text += std::u16string(chineseNumbers[t]) + u"、" + headingNames[t] + u"\r\n";
    for (int i = 0; i < inType; ++i) {
      Question q;
      do {
        q = MakeQuestion(random, courseIndex, order[t]);
      } while (seen.count(q.stem) && std::find(RepeatedStems().begin(), RepeatedStems().end(), q.stem) == RepeatedStems().end());
      seen[q.stem] = 1;
      q.stem = WithBlank(q.stem, style.blank);
      ++number;
      BankEntry entry;
      entry.boxStart = BoxLength(bank.text);
      std::u16string text = style.numbering == 3 ? u"第" + Number(number) + u"题 "
                                                 : Number(number) + (style.numbering == 0   ? u". "
                                                                     : style.numbering == 1 ? u"、"
                                                                                            : u"．");
      text += q.stem;
      for (size_t k = 0; k < q.options.size(); ++k) {
        const std::u16string option = std::u16string(1, static_cast<char16_t>(u'A' + k)) + marks[style.optionMark] + q.options[k];
        switch (style.optionLayout) {
          case 0: text += u"\r\n" + option; break;
          case 1: text += (k % 2 == 0 ? u"\r\n" : u"    ") + option; break;
          case 2: text += (k == 0 ? u"\r\n" : u"  ") + option; break;
          default: text += u"  " + option;
        }
      }
      std::u16string answer = q.answer;
      if (q.type == QuestionType::TrueFalse) answer = TrueFalseWord(q.answer == u"对", style.trueFalse);
      text += u"\r\n" + std::u16string(answers[style.answerLine]) + answer + u"\r\n";
      if (style.blankLines) text += u"\r\n";
      bank.text += text;
      entry.question = q;
      bank.entries.push_back(entry);
    }
  }
  for (size_t i = 0; i < bank.entries.size(); ++i) {
    bank.entries[i].boxEnd = i + 1 < bank.entries.size() ? bank.entries[i + 1].boxStart : BoxLength(bank.text);
  }
  return bank;
}

// ---- Captures ----

enum class Capture {
  Exactly,         // the question as the bank has it
  Typos,           // one character in fifteen different
  OtherBlank,      // the blank drawn another way
  FirstPart,       // the first 60 % of the question
  Labelled,        // number and type label in front
  LabelAndScore,   // the label in front and the score behind
  WithOptions,     // the options dragged along, in another order
  TrueFalseChoices,// a true/false question with the page's two choices after it
  ReviewedPaper,   // heading, label, question, options, my answer and score
};
constexpr int kCaptureKinds = 9;

inline const char* CaptureName(Capture kind) {
  static const char* names[] = {"the question exactly",
                                "one character in fifteen different",
                                "the blank drawn another way",
                                "the first 60 % of the question",
                                "number and type label in front",
                                "label in front, score behind",
                                "options dragged along, reordered",
                                "true/false with the page's choices",
                                "reviewed paper"};
  return names[static_cast<int>(kind)];
}

inline bool HasBlank(const std::u16string& stem) {
  for (const char16_t* blank : {u"（ ）", u"（  ）", u"( )", u"（）", u"______"}) {
    if (stem.find(blank) != std::u16string::npos) return true;
  }
  return false;
}

// Whether a capture of this kind can be made of the question.
inline bool Applies(Capture kind, const Question& q) {
  const bool choice = q.type == QuestionType::Single || q.type == QuestionType::Multiple;
  switch (kind) {
    case Capture::OtherBlank: return HasBlank(q.stem);
    case Capture::WithOptions: return choice;
    case Capture::TrueFalseChoices: return q.type == QuestionType::TrueFalse;
    default: return true;
  }
}

// ASCII letters and digits in their full-width forms now and then, as some pages write them.
inline std::u16string MaybeWide(Random& random, std::u16string text, int percent) {
  if (!Chance(random, percent)) return text;
  for (char16_t& c : text) {
    if ((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || c == u'.') c = static_cast<char16_t>(c + 0xFEE0);
  }
  return text;
}

inline std::u16string Space(Random& random) {
  static const std::vector<std::u16string> spaces = {u" ", u" ", u"", u"  ", u"\u00A0", u"\u3000", u" \t"};
  return OneOf(random, spaces);
}

inline std::u16string LineBreak(Random& random) { return Chance(random, 80) ? u"\r\n" : Chance(random, 50) ? u"\n" : u" "; }

// The page's number and type label in front of the question.
inline std::u16string PageLabel(Random& random, QuestionType type) {
  const std::u16string n = Number(1 + static_cast<long long>(Pick(random, 60)));
  std::u16string name = TypeName(type);
  if (Chance(random, 20)) {
    static const char16_t* longer[] = {u"单项选择题", u"多项选择题", u"判断题", u"填空题", u"简答题"};
    name = longer[static_cast<int>(type)];
  }
  const std::u16string score = Number(1 + static_cast<long long>(Pick(random, 5)));
  std::u16string label;
  switch (Pick(random, 11)) {
    case 9: label = n + u"." + name + u"（" + score + u"分）"; break;
    case 10: label = u"第" + n + u"题" + Space(random) + name + u" "; break;
    case 0: label = n + u".【" + name + u"】"; break;
    case 1: label = n + u". (" + name + u", " + score + u".0 分)" + Space(random); break;
    case 2: label = u"第" + n + u"题" + Space(random) + u"[" + name + u"]" + Space(random); break;
    case 3: label = n + u"、（" + name + u"）"; break;
    case 4: label = u"【" + name + u"】" + n + u"." + Space(random); break;
    case 5: label = u"(" + n + u")" + Space(random) + name + u"：" ; break;
    case 6: label = n + u"．" + name + u"：" ; break;
    case 7: label = n + u"." + Space(random) + u"（" + name + u"，" + score + u"分）" + Space(random); break;
    default: label = n + u"、[" + name + u"]" + Space(random);
  }
  return MaybeWide(random, label, 15);
}

inline std::u16string PageScore(Random& random) {
  const std::u16string score = Number(1 + static_cast<long long>(Pick(random, 5)));
  switch (Pick(random, 5)) {
    case 0: return u"（" + score + u"分）";
    case 1: return u"(" + score + u".0分)";
    case 2: return Space(random) + u"（" + score + u" 分）";
    case 3: return u"（本题" + score + u"分）";
    default: return MaybeWide(random, u"(" + score + u"分)", 50);
  }
}

// Options as the page lists them, lettered from A in the page's order.
inline std::u16string PageOptions(Random& random, const std::vector<std::u16string>& options) {
  static const char16_t* marks[][2] = {{u"", u". "}, {u"", u"、"}, {u"(", u") "}, {u"", u"．"}, {u"", u":"}, {u"", u"."}};
  const auto& mark = marks[Pick(random, std::size(marks))];
  const bool oneLine = Chance(random, 25);
  std::u16string text;
  for (size_t k = 0; k < options.size(); ++k) {
    text += oneLine ? (k == 0 ? LineBreak(random) : Space(random) + u" ") : LineBreak(random);
    text += MaybeWide(random, std::u16string(mark[0]) + static_cast<char16_t>(u'A' + k) + mark[1], 10) + options[k];
  }
  return text;
}

inline std::vector<std::u16string> Shuffled(Random& random, std::vector<std::u16string> options) {
  const std::vector<std::u16string> original = options;
  while (options.size() > 1 && options == original) std::shuffle(options.begin(), options.end(), random);
  return options;
}

inline std::u16string PageTrueFalse(Random& random) {
  switch (Pick(random, 6)) {
    case 0: return LineBreak(random) + u"对" + LineBreak(random) + u"错";
    case 1: return LineBreak(random) + u"A. 对" + LineBreak(random) + u"B. 错";
    case 2: return Space(random) + u"√" + Space(random) + u"×";
    case 3: return LineBreak(random) + u"正确" + LineBreak(random) + u"错误";
    case 4: return LineBreak(random) + u"A.正确 B.错误";
    default: return LineBreak(random) + u"A、对   B、错";
  }
}

// The stem with one character in fifteen (at least one) changed to another.
inline std::u16string WithTypos(Random& random, const std::u16string& stem) {
  static const std::u16string others = u"的一是在不了有和人这中大为上个国我以要他时来用们生到作地于出就分对成会可主发年动同工也能下过子说产";
  std::vector<size_t> letters;
  for (size_t i = 0; i < stem.size(); ++i) {
    if (stem[i] >= 0x4E00 && stem[i] <= 0x9FFF) letters.push_back(i);
  }
  std::u16string out = stem;
  const size_t changes = std::max<size_t>(1, letters.size() / 15);
  std::shuffle(letters.begin(), letters.end(), random);
  for (size_t k = 0; k < changes && k < letters.size(); ++k) {
    char16_t c = others[Pick(random, others.size())];
    while (c == out[letters[k]]) c = others[Pick(random, others.size())];
    out[letters[k]] = c;
  }
  return out;
}

inline std::u16string OtherBlank(Random& random, const std::u16string& stem) {
  for (const char16_t* blank : {u"（  ）", u"（ ）", u"( )", u"（）"}) {
    if (stem.find(blank) != std::u16string::npos) {
      static const std::vector<std::u16string> lines = {u"__", u"___", u"____", u"____", u"______"};
      return Replace(stem, blank, OneOf(random, lines));
    }
  }
  static const std::vector<std::u16string> brackets = {u"（ ）", u"(  )", u"（　　）", u"____"};
  return Replace(stem, u"______", OneOf(random, brackets));
}

// The first 60 % of the question's characters.
inline std::u16string FirstPart(const std::u16string& stem) { return stem.substr(0, (stem.size() * 3 + 4) / 5); }

inline std::u16string ReviewedPaper(Random& random, const Question& q) {
  static const char16_t* chineseNumbers[] = {u"一", u"二", u"三", u"四", u"五"};
  const std::u16string count = Number(5 + static_cast<long long>(Pick(random, 40)));
  std::u16string heading = std::u16string(chineseNumbers[static_cast<int>(q.type)]) +
                           (Chance(random, 50) ? u"、" : u". ") + TypeName(q.type);
  heading += Chance(random, 50) ? u"（共" + count + u"题，" + count + u".0分）" : u"（题数：" + count + u"，共 " + count + u".0 分）";
  std::u16string text = heading + LineBreak(random) + PageLabel(random, q.type) + q.stem;
  std::u16string mine = q.answer;
  if (q.type == QuestionType::Single || q.type == QuestionType::Multiple) {
    text += PageOptions(random, Chance(random, 50) ? q.options : Shuffled(random, q.options));
  } else if (q.type == QuestionType::TrueFalse) {
    text += PageTrueFalse(random);
  }
  const std::u16string score = Number(Pick(random, 3)) + (Chance(random, 50) ? u".0" : u"");
  switch (Pick(random, 3)) {
    case 0: text += LineBreak(random) + u"我的答案：" + mine + Space(random) + u"得分：" + score + u"分"; break;
    case 1: text += LineBreak(random) + u"我的答案：" + mine + LineBreak(random) + u"正确答案：" + q.answer; break;
    default: text += LineBreak(random) + u"正确答案：" + q.answer + Space(random) + u"我的答案：" + mine + u" 得分：" + score + u" 分";
  }
  return text;
}

inline std::u16string MakeCapture(Random& random, Capture kind, const Question& q) {
  switch (kind) {
    case Capture::Exactly: return q.stem;
    case Capture::Typos: return WithTypos(random, q.stem);
    case Capture::OtherBlank: return OtherBlank(random, q.stem);
    case Capture::FirstPart: return FirstPart(q.stem);
    case Capture::Labelled: return PageLabel(random, q.type) + q.stem;
    case Capture::LabelAndScore: return PageLabel(random, q.type) + q.stem + PageScore(random);
    case Capture::WithOptions: return q.stem + PageOptions(random, Shuffled(random, q.options));
    case Capture::TrueFalseChoices: return q.stem + PageTrueFalse(random);
    default: return ReviewedPaper(random, q);
  }
}

// ---- Stand-in GBK ----

// Gives every character its own byte sequence shaped as GBK's: ASCII as it is,
// anything else two bytes, a lead byte 0x81-0xFE and a trail byte 0x40-0xFE
// but 0x7F. Equal texts give equal bytes and unequal texts unequal bytes, which
// is all the exact search needs; the codes are given out as characters come.
class GbkStandIn {
 public:
  std::string Encode(const std::u16string& text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
      if (c < 0x80) {
        bytes += static_cast<char>(c);
        continue;
      }
      auto found = codes_.find(c);
      if (found == codes_.end()) found = codes_.emplace(c, static_cast<int>(codes_.size())).first;
      const int code = found->second;
      int trail = 0x40 + code % 190;
      if (trail >= 0x7F) ++trail;
      bytes += static_cast<char>(0x81 + code / 190);
      bytes += static_cast<char>(trail);
    }
    return bytes;
  }

 private:
  std::map<char16_t, int> codes_;
};

}  // namespace exambank
