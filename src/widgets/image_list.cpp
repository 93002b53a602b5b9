#include "widgets/image_list.h"

namespace {
constexpr int kGrowBy = 256;
}  // namespace

TImageList::TImageList(TComponent* owner, int width, int height, bool masked, TColor background)
    : TComponent(owner), width_(width), height_(height), masked_(masked) {
    // Each growth copies every image held: grow in large steps, or filling a list with a
    // folder's thumbnails costs time in the square of their number.
    list_ = ImageList_Create(width, height, ILC_COLOR24 | (masked ? ILC_MASK : 0), 4, kGrowBy);
    if (background != clNone) ImageList_SetBkColor(list_, ColorToRGB(background));
}

TChangeLink::~TChangeLink() {
    if (sender_) sender_->UnRegisterChanges(this);
}

void TChangeLink::Change() {
    if (OnChange) OnChange(sender_);
}

TImageList::~TImageList() {
    for (TChangeLink* link : links_) link->sender_ = nullptr;
    if (list_) ImageList_Destroy(list_);
}

int TImageList::Count() const { return list_ ? ImageList_GetImageCount(list_) : 0; }

// The list takes exactly one image, so it is handed a bitmap of exactly one image's size.
HBITMAP TImageList::CellOf(TBitmap& bitmap, TBitmap& cell) const {
    if (bitmap.Width() == width_ && bitmap.Height() == height_) return bitmap.Handle();
    cell.SetSize(width_, height_);
    cell.Canvas().Draw(0, 0, bitmap);
    return cell.Handle();
}

int TImageList::Add(TBitmap& bitmap) {
    if (!list_ || bitmap.Empty()) return -1;
    TBitmap cell;
    int index = ImageList_Add(list_, CellOf(bitmap, cell), nullptr);
    if (index >= 0) Change();
    return index;
}

bool TImageList::Replace(int index, TBitmap& bitmap) {
    if (!list_ || bitmap.Empty() || index < 0 || index >= Count()) return false;
    TBitmap cell;
    if (!ImageList_Replace(list_, index, CellOf(bitmap, cell), nullptr)) return false;
    Change();
    return true;
}

int TImageList::AddResourceStrip(HINSTANCE instance, const char* name, TColor maskColor) {
    TBitmap strip;
    if (!strip.LoadFromResource(instance, name)) return -1;
    int first = masked_ ? ImageList_AddMasked(list_, strip.Handle(), ColorToRGB(maskColor))
                        : ImageList_Add(list_, strip.Handle(), nullptr);
    if (first >= 0) Change();
    return first;
}

void TImageList::Clear() {
    if (list_ && ImageList_Remove(list_, -1)) Change();
}

void TImageList::RegisterChanges(TChangeLink* link) {
    if (!link || link->sender_ == this) return;
    if (link->sender_) link->sender_->UnRegisterChanges(link);
    links_.push_back(link);
    link->sender_ = this;
}

void TImageList::UnRegisterChanges(TChangeLink* link) {
    if (!link || link->sender_ != this) return;
    std::erase(links_, link);
    link->sender_ = nullptr;
}

void TImageList::Change() {
    // By position: a handler may unregister its own link or another one.
    for (std::size_t i = 0; i < links_.size();) {
        TChangeLink* link = links_[i];
        link->Change();
        if (i < links_.size() && links_[i] == link) ++i;
    }
}

void TImageList::Draw(HDC dc, int x, int y, int index, bool enabled) const {
    if (!list_ || index < 0 || index >= Count()) return;
    if (enabled) {
        ImageList_Draw(list_, index, dc, x, y, ILD_NORMAL);
    } else {
        ImageList_DrawEx(list_, index, dc, x, y, 0, 0, CLR_NONE, GetSysColor(COLOR_BTNFACE), ILD_BLEND50);
    }
}
