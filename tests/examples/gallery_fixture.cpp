#include "gallery_fixture.h"

#include <map>

#include "toolbar/base/common.h"

namespace {
std::map<UINT_PTR, Script*>& Scripts() {
    static std::map<UINT_PTR, Script*> scripts;
    return scripts;
}
}  // namespace

Script::Script(std::vector<Step> steps, std::function<std::string()> describe, UINT intervalMs, DWORD patienceMs)
    : steps_(std::move(steps)), describe_(std::move(describe)), patience_(patienceMs), stepStart_(GetTickCount()) {
    id_ = SetTimer(nullptr, 0, intervalMs, Tick);
    Scripts()[id_] = this;
}

Script::~Script() {
    KillTimer(nullptr, id_);
    Scripts().erase(id_);
}

void CALLBACK Script::Tick(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = Scripts().find(id);
    if (it != Scripts().end()) it->second->RunStep();
}

void Script::RunStep() {
    // A step that pumps (a click's own loop) must not run the next one from inside it.
    if (running_ || Finished()) return;
    running_ = true;
    Step& step = steps_[next_];
    if (step.Run()) {
        ++next_;
        stepStart_ = GetTickCount();
    } else if (GetTickCount() - stepStart_ > patience_) {
        failure_ = "step " + std::to_string(next_) + " waited in vain: " + step.What;
        if (describe_) failure_ += " (now: " + describe_() + ")";
        // The steps run inside the loop under test: it must end for the test to go on, and a
        // loop ends when its capture goes.
        ReleaseCapture();
    }
    running_ = false;
}

void GalleryTest::Open(TGalleryOptions options) {
    Application->ResetTermination();
    form = std::make_unique<TGalleryForm>(nullptr, options);
    form->Show();
    // The palette floats once the form is up.
    PumpUntil([&] { return form->PaletteBar->Floating(); }, 2000);
    PumpFor(50);
}

void GalleryTest::TearDown() {
    if (GetCapture()) ReleaseCapture();
    form.reset();
    PumpFor(20);
    Application->ResetTermination();
}

std::string GalleryTest::Run(std::vector<Script::Step> steps) {
    std::string failure;
    {
        Script script(std::move(steps), [this] { return "chain \"" + OpenChain() + "\", \"" + DeepSelection() + "\" selected"; });
        if (!PumpUntil([&] { return script.Finished(); }, 60000)) return "the script did not finish";
        failure = script.Failure();
    }

    PumpFor(30);  // the deferred click
    return failure;
}

POINT GalleryTest::CentreOf(TTBView* view, const TTBCustomItem* item) {
    if (!view) return POINT{-1, -1};
    view->ValidatePositions();
    TTBItemViewer* viewer = view->Find(item);
    if (!viewer || !viewer->Show) return POINT{-1, -1};
    const RECT& r = viewer->BoundsRect;
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(view->Window()->Handle(), &p);
    return p;
}

std::string GalleryTest::OpenChain(TTBView* from) const {
    std::string chain;
    for (TTBView* view = (from ? from : form->MenuBar->View())->OpenView(); view; view = view->OpenView()) {
        if (!chain.empty()) chain += " > ";
        chain += StripAccelChars(view->ParentItem()->CaptionText()).Text;
    }
    return chain;
}

std::string GalleryTest::DeepSelection(TTBView* from) const {
    TTBView* view = (from ? from : form->MenuBar->View())->DeepestOpenView();
    if (!view || !view->Selected()) return "";
    return StripAccelChars(view->Selected()->Item()->CaptionText()).Text;
}

Script::Step GalleryTest::ClickAt(std::function<POINT()> where, std::string what) {
    return Script::Do([where] { QueueSystemClick(where()); }, std::move(what));
}

Script::Step GalleryTest::Key(WORD key, std::string what) {
    return Script::Do([key] { PressKey(key, true); PressKey(key, false); }, std::move(what));
}

Script::Step GalleryTest::PointAt(std::function<POINT()> where, std::string what) {
    return Script::Do([where] { MoveTo(where()); }, std::move(what));
}
