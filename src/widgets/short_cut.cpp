#include "widgets/short_cut.h"

namespace {

struct KeyName {
    WORD key;
    const char* name;
};

// The usual menu spellings; the system's own key names depend on the keyboard layout.
constexpr KeyName kKeyNames[] = {
    {VK_BACK, "BkSp"},   {VK_TAB, "Tab"},     {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"},
    {VK_SPACE, "Space"}, {VK_PRIOR, "PgUp"},  {VK_NEXT, "PgDn"},    {VK_END, "End"},
    {VK_HOME, "Home"},   {VK_LEFT, "Left"},   {VK_UP, "Up"},        {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},   {VK_INSERT, "Ins"},  {VK_DELETE, "Del"},
};

std::string KeyText(WORD key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, static_cast<char>(key));
    if (key >= VK_F1 && key <= VK_F24) {
        char name[4];
        wsprintfA(name, "F%d", key - VK_F1 + 1);
        return name;
    }
    for (const KeyName& k : kKeyNames)
        if (k.key == key) return k.name;
    // Punctuation and the rest: whatever the keyboard layout calls the key.
    UINT scan = MapVirtualKeyA(key, 0);
    char name[64] = {};
    if (scan != 0 && GetKeyNameTextA(static_cast<LONG>(scan << 16), name, sizeof name) > 0) return name;
    return "";
}

}  // namespace

TShortCut ShortCut(WORD key, TShiftState shift) {
    if (key & 0xFF00) return scNone;  // not a virtual-key code
    TShortCut result = key;
    if (shift & ssShift) result |= scShift;
    if (shift & ssCtrl) result |= scCtrl;
    if (shift & ssAlt) result |= scAlt;
    return result;
}

std::string ShortCutToText(TShortCut shortCut) {
    std::string key = KeyText(shortCut & 0xFF);
    if (key.empty()) return "";
    std::string text;
    if (shortCut & scShift) text += "Shift+";
    if (shortCut & scCtrl) text += "Ctrl+";
    if (shortCut & scAlt) text += "Alt+";
    return text + key;
}
