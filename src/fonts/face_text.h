#pragma once
#include <windows.h>

#include <string>

#include "fonts/font_enum.h"
#include "widgets/graphics.h"

// A drawing shows `text` in `face`, or the face name when the text is empty. The face name comes
// from a font file, in UTF-16; the text is the user's, in the code page.
//
// A face name is drawn only when the canvas's font has a glyph for each of its characters (a
// symbol font always counts as having them); otherwise the drawing shows a short sample the face
// can draw (ChooseFaceSample), shaped as its script is written, so that a face made for another
// script shows itself instead of a row of missing-glyph boxes. The user's text is drawn as it is.

// The size DrawFaceText covers for `text` (or the face name, or its sample) in the canvas's font.
SIZE TextToDrawExtent(TCanvas& canvas, const std::wstring& face, const std::string& text);

// Makes `canvas`'s font the installed family `face` at `size` points, in the character set
// FindFaceLogFont picks for it. False, leaving the font alone, when `fonts` hold no family named
// exactly `face`.
bool SelectFaceFont(TCanvas& canvas, TFontSource fonts, const std::wstring& face, int size);

// Draws `text` (the face name, or the face's sample, when empty) at (x, y) of `canvas` in `face`
// at `size` points with the canvas's colours; nothing when the face is not installed. The main
// window's drawings and the font vetting helper both draw through here, so that the helper tries
// exactly what the window is about to do, the check of the face's characters included.
bool DrawFaceText(TCanvas& canvas, TFontSource fonts, const std::wstring& face, const std::string& text, int x, int y,
                  int size);
