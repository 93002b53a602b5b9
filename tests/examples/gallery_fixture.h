#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gallery_form.h"
#include "support/test_env.h"
#include "support/ui_driver.h"

// Input and checks that run one step per tick of a thread timer, so that they run inside
// whatever modal loop pumps the messages then (a menu, a drag, a close button). A step that
// waits answers false until its condition holds; one that waits longer than `patienceMs`
// fails the script, which then stops.
class Script {
public:
    struct Step {
        std::function<bool()> Run;
        std::string What;
    };
    // `describe` tells the state a failure is reported with.
    explicit Script(std::vector<Step> steps, std::function<std::string()> describe = {}, UINT intervalMs = 30,
                    DWORD patienceMs = 4000);
    ~Script();
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

    bool Finished() const { return next_ >= steps_.size() || !failure_.empty(); }
    // Empty when every step ran; else what the step that gave up waited for.
    const std::string& Failure() const { return failure_; }

    static Step Do(std::function<void()> action, std::string what = "") {
        return Step{[action] { action(); return true; }, std::move(what)};
    }
    static Step Until(std::function<bool()> condition, std::string what) { return Step{std::move(condition), std::move(what)}; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
    void RunStep();

    std::vector<Step> steps_;
    std::function<std::string()> describe_;
    size_t next_ = 0;
    DWORD patience_;
    DWORD stepStart_ = 0;
    std::string failure_;
    UINT_PTR id_ = 0;
    bool running_ = false;
};

// The toolbar gallery shown in the test display, in this process, so that a test can read the
// framework's state as well as the screen.
class GalleryTest : public testing::Test {
protected:
    void Open(TGalleryOptions options = {});
    void SetUp() override { Open(); }
    void TearDown() override;

    // Runs the steps to the end, the first of them usually a press that starts a loop; after a
    // failure, ends whatever loop is still running so that the next test starts clean.
    std::string Run(std::vector<Script::Step> steps);

    // The centre of an item's viewer on the screen, in the bar or popup that shows it;
    // (-1, -1) when the view shows no such item.
    static POINT CentreOf(TTBView* view, const TTBCustomItem* item);
    POINT CentreOf(TTBToolbar* bar, const TTBCustomItem* item) const { return CentreOf(bar->View(), item); }
    TTBCustomItem* Menu(const std::string& path) const { return form->FindItem(path); }
    // The open popups from the menu bar down, as the captions of their parent items.
    std::string OpenChain(TTBView* from = nullptr) const;
    // The caption of the selected item of the deepest open popup; "" when none.
    std::string DeepSelection(TTBView* from = nullptr) const;

    // Steps: a system click, a key pressed and released, the pointer moved.
    static Script::Step ClickAt(std::function<POINT()> where, std::string what = "click");
    static Script::Step Key(WORD key, std::string what = "key");
    static Script::Step PointAt(std::function<POINT()> where, std::string what = "move");

    std::unique_ptr<TGalleryForm> form;
};
