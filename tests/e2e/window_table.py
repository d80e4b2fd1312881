"""What the main window must look like at start, written down independently of
the program's sources: every control with its page, kind, caption, rectangle
(relative to the tab control) and initial state.
"""

from collections import namedtuple

TITLE = "Tavrel V20180330"
MAIN_CLASS = "TavrelMainWindow"
MAIN_RECT = (50, 50, 612, 414)  # outer, screen coordinates
TAB_ID = 1000
TAB_CLASS = "SysTabControl32"
TAB_RECT = (1, 5, 605, 380)  # in the main window's client area
TAB_CAPTIONS = ["介绍＆设置", "本地文本搜索", "IE内核浏览器", "谷歌内核（点击加载）", "简单记事本"]
START_ALPHA = 200

WELCOME = "\r\n".join("\u3000\u3000" + p for p in [
    "欢迎使用Morvane制作的Tavrel，本程序可以帮您快速找到一些练习或者测试的答案，为您的在线学习、答题提供有限的帮助。",
    "【本地文件搜索】模式下，搜索您自行提供的答案库内容，可以复制粘贴或直接拖拽参考答案文件到程序窗口中，即可使用；",
    "【浏览器】模式下，可以百度搜索题目中的关键字，然后根据网页搜索的内容，自行判断。",
    "【划屏取词】功能，只要您开启了，直接用鼠标拖拽涂黑需要搜索的文字，自动帮您进行搜索。",
    "希望我的小程序能帮到您！",
])

SEARCHING = "正在搜索中，请稍等……"
NOT_FOUND = "搜索完毕，没有发现所搜索的内容，请点击上方浏览器模式进行互联网搜索！"


def found_report(n):
    return "搜索完毕，一共出现 %d次内容，请点击上、下一条按钮精确定位！" % n


# Window classes of the kinds of control.
KIND_CLASS = {
    "label": "Static",
    "checkbox": "Button",
    "radio": "Button",
    "button": "Button",
    "slider": "msctls_trackbar32",
    "edit": "Edit",
    "richedit": "RICHEDIT50W",
    "browser": "TavrelBrowserBox",
    "shape": "TavrelShapeBox",
}

# Button styles (BS_TYPEMASK) that make a check box, a radio button, a push button.
KIND_BUTTON_TYPES = {
    "checkbox": {2, 3},       # BS_CHECKBOX, BS_AUTOCHECKBOX
    "radio": {4, 9},          # BS_RADIOBUTTON, BS_AUTORADIOBUTTON
    "button": {0, 1},         # BS_PUSHBUTTON, BS_DEFPUSHBUTTON
}

Control = namedtuple("Control", "id name page kind text rect state")

# state: check boxes and radio buttons: 1 checked / 0 not; slider: (min, max, pos);
# edit boxes: None (they start empty). text None: no caption to compare.
CONTROLS = [
    Control(1001, "标签1", 0, "label", WELCOME, (10, 35, 575, 208), None),
    Control(1002, "选择框1", 0, "checkbox", "自动置顶", (23, 254, 89, 25), 1),
    Control(1003, "选择框2", 0, "checkbox", "窗口透明", (23, 279, 89, 25), 1),
    Control(1004, "滑块条1", 0, "slider", "", (118, 279, 225, 25), (50, 255, 200)),
    Control(1005, "选择框3", 0, "checkbox", "划屏取词", (23, 304, 89, 25), 1),
    Control(1006, "单选框1", 0, "radio", "文本搜", (118, 309, 74, 15), 1),
    Control(1007, "单选框2", 0, "radio", "IE内核搜", (207, 309, 89, 15), 0),
    Control(1008, "单选框3", 0, "radio", "谷歌内核搜（每次搜索后请点击才能加载成功）", (304, 309, 272, 15), 0),
    Control(1009, "选择框4", 0, "checkbox", "百度引擎", (23, 329, 89, 25), 1),
    Control(1010, "选择框5", 0, "checkbox", "搜狗引擎", (120, 328, 89, 25), 0),
    Control(1011, "选择框6", 0, "checkbox", "360引擎", (209, 328, 89, 25), 0),
    Control(1012, "标签2", 1, "label", "搜索内容：", (10, 28, 75, 20), None),
    Control(1013, "编辑框1", 1, "edit", "", (70, 26, 350, 25), None),
    Control(1014, "按钮1", 1, "button", "搜索", (423, 26, 46, 25), None),
    Control(1015, "按钮5", 1, "button", "下一条", (475, 26, 60, 25), None),
    Control(1016, "按钮6", 1, "button", "上一条", (541, 26, 55, 25), None),
    Control(1017, "标签3", 1, "label",
            "自定义考答案内容：（您可以把参考答案文本复制到下面文本框，或者拖放到窗口上，会自动载入！）",
            (10, 53, 590, 20), None),
    Control(1018, "编辑框2", 1, "richedit", "", (2, 75, 598, 302), None),
    Control(1019, "按钮2", 2, "button", "<<", (471, 0, 36, 17), None),
    Control(1020, "按钮4", 2, "button", "◎", (514, 0, 36, 17), None),
    Control(1021, "按钮3", 2, "button", ">>", (555, 0, 36, 17), None),
    # Shows a blank page at start: its text, the address last asked for, is
    # empty or about:blank.
    Control(1022, "超文本浏览框1", 2, "browser", None, (0, 20, 605, 360), None),
    Control(1023, "按钮7", 3, "button", "<<", (471, 0, 36, 17), None),
    Control(1024, "按钮8", 3, "button", "◎", (514, 0, 36, 17), None),
    Control(1025, "按钮9", 3, "button", ">>", (555, 0, 36, 17), None),
    Control(1026, "外形框1", 3, "shape", "", (1, 19, 600, 360), None),
    Control(1027, "标签4", 4, "label", "", (12, 25, 320, 25), None),
    Control(1028, "按钮10", 4, "button", "新建", (343, 26, 56, 24), None),
    Control(1029, "按钮11", 4, "button", "读取", (407, 26, 56, 24), None),
    Control(1030, "按钮13", 4, "button", "保存", (470, 26, 56, 24), None),
    Control(1031, "按钮15", 4, "button", "格式化", (533, 26, 56, 24), None),
    Control(1032, "编辑框3", 4, "richedit", "", (3, 55, 598, 320), None),
]

BY_ID = {c.id: c for c in CONTROLS}
NEVER_VISIBLE = {1008}

# Ids used by the scenarios.
SEARCH_BOX = 1013
SEARCH_BUTTON = 1014
NEXT_BUTTON = 1015
PREVIOUS_BUTTON = 1016
STATUS_LABEL = 1017
ANSWER_BANK = 1018
BROWSER_BOX = 1022
SHAPE_BOX = 1026
NOTEPAD = 1032


def visible_on(page):
    """Ids that must be visible while page is the current page."""
    return {c.id for c in CONTROLS if c.page == page and c.id not in NEVER_VISIBLE}


def resized_sizes(width, height):
    """Sizes of the controls that follow the main window's outer size; the rest keep theirs."""
    tw, th = width - 18, height - 45
    return {
        TAB_ID: (tw, th),
        BROWSER_BOX: (tw - 3, th - 22),
        SHAPE_BOX: (tw - 3, th - 22),
        ANSWER_BANK: (tw - 3, th - 78),
        NOTEPAD: (tw - 3, th - 58),
    }
