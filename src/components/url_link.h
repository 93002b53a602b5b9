#pragma once
#include <functional>
#include <memory>
#include <string>

#include "widgets/hint_window.h"
#include "widgets/label.h"

enum TURLtype : uint8_t { tpURL, tpMAIL };

// A label that behaves as a hyperlink: link colour while the pointer is over it, a left press
// opens the target with the shell, and an optional popup shows the target by the pointer.
class TURLLink : public TLabel {
public:
    explicit TURLLink(TComponent* owner);
    ~TURLLink() override;

    TURLtype URLType() const { return urlType_; }
    void SetURLType(TURLtype type);
    const std::string& Link() const { return link_; }
    void SetLink(const std::string& link);
    TFont& HintFormFont() { return *hintFormFont_; }
    void SetHintFormFont(const TFont& font);
    bool EnableShowHint() const { return enableShowHint_; }
    void SetEnableShowHint(bool value);
    TColor HintFormColor() const { return hintFormColor_; }
    void SetHintFormColor(TColor color);
    int HintOffsetX() const { return hintOffsetX_; }
    void SetHintOffsetX(int offset);
    int HintOffsetY() const { return hintOffsetY_; }
    void SetHintOffsetY(int offset);
    TColor LinkColor() const { return linkColor_; }
    void SetLinkColor(TColor color);

    THintWindow& HintForm() { return *hintForm_; }
    bool HintShowing() const { return hintShowing_; }
    // The text handed to the shell: "mailto:" + Link for mail addresses, else Link as it is.
    std::string Target() const;

    // Opens a target; ShellExecuteA "OPEN" by default. Tests put a recorder here.
    std::function<void(const std::string& target)> Opener;

    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;

private:
    void ShowHintForm();
    void HideHintForm();

    std::unique_ptr<THintWindow> hintForm_;
    bool hintShowing_ = false;
    TURLtype urlType_ = tpURL;
    std::string link_ = "http://";
    TColor savedFontColor_ = clBlue;
    TColor linkColor_ = clRed;  // a stored layout leaves out blue, not this initial red
    TColor hintFormColor_ = clInfoBk;
    int hintOffsetX_ = 15;
    int hintOffsetY_ = 15;
    bool enableShowHint_ = true;
    std::unique_ptr<TFont> hintFormFont_;
};

// ShellExecuteA with "OPEN", no owner window, empty parameters and folder, SW_SHOW. The shell's
// answer is not examined: a target it cannot open changes nothing.
void ShellOpen(const std::string& target);
