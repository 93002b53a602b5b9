#pragma once
#include <windows.h>

#include <string>

#include "widgets/graphics.h"

// What a drawing of `text` in `face` shows: an empty text draws the face name.
inline const std::string& TextToDraw(const std::string& face, const std::string& text) {
    return text.empty() ? face : text;
}

// Makes `canvas`'s font the installed family `face` at `size` points, in the character set
// FindFaceLogFont picks for it. False, leaving the font alone, when the fonts `window`'s device
// context sees (WithFontDC) hold no family named exactly `face`.
bool SelectFaceFont(TCanvas& canvas, HWND window, const std::string& face, int size);

// Draws `text` (the face name when empty) at (x, y) of `canvas` in `face` at `size` points with
// the canvas's colours; nothing when the face is not installed. The main window's drawings and
// the font vetting helper both draw through here, so that the helper tries exactly what the
// window is about to do.
bool DrawFaceText(TCanvas& canvas, HWND window, const std::string& face, const std::string& text, int x, int y,
                  int size);
