#pragma once
#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "widgets/enum_set.h"

class TBitmap;

// Attributes of an installed face; members 0-3 are the face types, 4-8 the optional ones.
enum TFontNameFilter : uint8_t {
    fnfDevice, fnfVector, fnfRaster, fnfTrueType, fnfPrinter, fnfSymbolFont, fnfJapanese, fnfFixedPitch, fnfLyingFont
};

using TFontNameFilters = TEnumSet<TFontNameFilter, uint16_t, 9>;

constexpr TFontNameFilters fnfFaceTypes{fnfDevice, fnfVector, fnfRaster, fnfTrueType};

// The FaceFlags word of a face: the enumeration's font type in bits 0-2, the character set of
// its first report in bits 16-23, and these bits.
constexpr uint32_t ffVector = 0x00000200;
constexpr uint32_t ffFixedPitch = 0x00000400;
constexpr uint32_t ffPrinterOnly = 0x00000800;
constexpr uint32_t ffPrinter = 0x80000000;

struct TFaceEntry {
    std::string Name;
    uint32_t Flags = 0;
    bool operator==(const TFaceEntry&) const = default;
};
using TFaceList = std::vector<TFaceEntry>;

// One call of the font-family enumeration's callback: a face in one character set.
struct TFaceReport {
    std::string Name;
    DWORD FontType = 0;        // RASTER_FONTTYPE, DEVICE_FONTTYPE, TRUETYPE_FONTTYPE bits
    BYTE CharSet = 0;          // of the text metric
    BYTE PitchAndFamily = 0;   // of the text metric
};

uint32_t FaceFlagsOf(const TFaceReport& report);
// The attributes that a FaceFlags word and a face name give.
TFontNameFilters FaceAttributes(uint32_t flags, const std::string& name);

// Turns the reports of one enumeration into faces in report order; a face reported again right
// after itself (another character set) keeps its first report.
TFaceList CollectFaces(const std::vector<TFaceReport>& reports);
// Ascending by name without regard to case, by the user's locale.
void SortFaces(TFaceList& faces);
// Adds the printer's faces (sorted) to the sorted table: a face the screen has too gets the
// printer's word and ffPrinter added to its own; a printer-only face is inserted in order.
void MergePrinterFaces(TFaceList& table, const TFaceList& printerFaces);
// The whole table from the two enumerations; `printer` is empty when no printer is installed.
TFaceList MakeFaceTable(const std::vector<TFaceReport>& screen, const std::vector<TFaceReport>& printer);

// Every face in every character set of the device context, in the system's order.
std::vector<TFaceReport> EnumerateFaces(HDC dc);

// Enumerates the screen's (and the current printer's) faces and loads the two icons. Runs once
// per process; the program calls it before making any window, and FaceTable() calls it on first
// use for everyone else.
void BuildFaceTable();
const TFaceList& FaceTable();
// Replaces the table with given faces; for tests and benchmarks, which must not depend on the
// machine's fonts.
void InstallFaceTable(TFaceList faces);

// The 16 x 16 list icons; null when the program's resources lack them.
TBitmap* TrueTypeIcon();
TBitmap* DeviceTypeIcon();
