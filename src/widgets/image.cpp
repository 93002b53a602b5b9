#include "widgets/image.h"

TImage::TImage(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 105, 105);
    picture_.OnChange = [this] { PictureChanged(); };
}

TCanvas& TImage::Canvas() { return picture_.EnsureBitmap(Width(), Height()).Canvas(); }

void TImage::PictureChanged() {
    if (autoSize_) {
        if (TBitmap* b = picture_.Bitmap()) {
            SetBounds(Left(), Top(), b->Width(), b->Height());
        } else if (picture_.Icon()) {
            SetBounds(Left(), Top(), GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
        }
    }
    Invalidate();
}

void TImage::Paint(TCanvas& canvas) {
    if (TBitmap* bitmap = picture_.Bitmap()) {
        canvas.Draw(0, 0, *bitmap);
    } else if (HICON icon = picture_.Icon()) {
        DrawIconEx(canvas.Handle(), 0, 0, icon, Width(), Height(), 0, nullptr, DI_NORMAL);
    }
}
