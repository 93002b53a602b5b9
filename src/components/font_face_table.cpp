#include "components/font_face_table.h"

#include <winspool.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>

#include "widgets/graphics.h"
#include "widgets/string_list.h"
#include "widgets/system_library.h"

// --- the rules -----------------------------------------------------------------------------

uint32_t FaceFlagsOf(const TFaceReport& report) {
    uint32_t flags = report.FontType | (static_cast<uint32_t>(report.CharSet) << 16);
    // TMPF_FIXED_PITCH set means variable pitch, whatever its name says.
    if (!(report.PitchAndFamily & TMPF_FIXED_PITCH)) flags |= ffFixedPitch;
    if ((report.PitchAndFamily & TMPF_VECTOR) && report.FontType == 0) flags |= ffVector;
    return flags;
}

TFontNameFilters FaceAttributes(uint32_t flags, const std::string& name) {
    TFontNameFilters a;
    if (flags & DEVICE_FONTTYPE) a = a + fnfDevice;
    if (flags & ffVector) a = a + fnfVector;
    if (flags & RASTER_FONTTYPE) a = a + fnfRaster;
    if (flags & TRUETYPE_FONTTYPE) a = a + fnfTrueType;
    if (flags & ffPrinter) a = a + fnfPrinter;
    const uint32_t charSet = (flags >> 16) & 0xFF;
    if (charSet == SYMBOL_CHARSET) a = a + fnfSymbolFont;
    if (charSet == SHIFTJIS_CHARSET) a = a + fnfJapanese;
    if (flags & ffFixedPitch) a = a + fnfFixedPitch;
    if (!name.empty() && name[0] == '@') a = a + fnfLyingFont;
    return a;
}

TFaceList CollectFaces(const std::vector<TFaceReport>& reports) {
    TFaceList faces;
    faces.reserve(reports.size());
    for (const TFaceReport& report : reports) {
        if (!faces.empty() && SameTextLocale(faces.back().Name, report.Name)) continue;
        faces.push_back({report.Name, FaceFlagsOf(report)});
    }
    return faces;
}

namespace {
bool NameLess(const TFaceEntry& face, const std::string& name) { return CompareTextLocale(face.Name, name) < 0; }
}  // namespace

void SortFaces(TFaceList& faces) {
    std::stable_sort(faces.begin(), faces.end(),
                     [](const TFaceEntry& a, const TFaceEntry& b) { return CompareTextLocale(a.Name, b.Name) < 0; });
}

void MergePrinterFaces(TFaceList& table, const TFaceList& printerFaces) {
    for (const TFaceEntry& face : printerFaces) {
        auto it = std::lower_bound(table.begin(), table.end(), face.Name, NameLess);
        if (it != table.end() && SameTextLocale(it->Name, face.Name)) {
            it->Flags |= face.Flags | ffPrinter;
        } else {
            table.insert(it, {face.Name, face.Flags | ffPrinter | ffPrinterOnly});
        }
    }
}

TFaceList MakeFaceTable(const std::vector<TFaceReport>& screen, const std::vector<TFaceReport>& printer) {
    TFaceList table = CollectFaces(screen);
    SortFaces(table);
    if (!printer.empty()) {
        TFaceList printerFaces = CollectFaces(printer);
        SortFaces(printerFaces);
        MergePrinterFaces(table, printerFaces);
    }
    return table;
}

// --- the platform's enumeration --------------------------------------------------------------

namespace {
struct EnumerationState {
    std::vector<TFaceReport>* reports;
    std::exception_ptr error;
};

int CALLBACK CollectReport(const LOGFONTA* font, const TEXTMETRICA* metric, DWORD fontType, LPARAM data) {
    auto* state = reinterpret_cast<EnumerationState*>(data);
    try {
        TFaceReport report;
        report.Name.assign(font->lfFaceName, strnlen(font->lfFaceName, LF_FACESIZE));
        report.FontType = fontType;
        report.CharSet = metric->tmCharSet;
        report.PitchAndFamily = metric->tmPitchAndFamily;
        state->reports->push_back(std::move(report));
        return 1;
    } catch (...) {
        // Never across the system's frame: stop here and rethrow once the enumeration returned.
        state->error = std::current_exception();
        return 0;
    }
}
}  // namespace

std::vector<TFaceReport> EnumerateFaces(HDC dc) {
    std::vector<TFaceReport> reports;
    if (!dc) return reports;
    LOGFONTA all{};
    all.lfCharSet = DEFAULT_CHARSET;  // with an empty face name: every face in every character set
    EnumerationState state{&reports, nullptr};
    EnumFontFamiliesExA(dc, &all, CollectReport, reinterpret_cast<LPARAM>(&state), 0);
    if (state.error) std::rethrow_exception(state.error);
    return reports;
}

// --- the printer service ---------------------------------------------------------------------

namespace {
// The spooler is looked up at run time: the program links no printing library, and a system
// without one simply has no printer.
class Spooler {
public:
    Spooler() : module_(LoadSystemLibrary("winspool.drv")) {
        if (!module_) return;
        enumPrinters_ = Entry<EnumPrintersFn>("EnumPrintersA");
        defaultPrinter_ = Entry<DefaultPrinterFn>("GetDefaultPrinterA");
    }
    ~Spooler() {
        if (module_) FreeLibrary(module_);
    }
    Spooler(const Spooler&) = delete;
    Spooler& operator=(const Spooler&) = delete;

    int PrinterCount() const {
        if (!enumPrinters_) return 0;
        const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
        DWORD needed = 0, returned = 0;
        enumPrinters_(flags, nullptr, 4, nullptr, 0, &needed, &returned);
        if (needed == 0) return 0;
        std::vector<BYTE> buffer(needed);
        if (!enumPrinters_(flags, nullptr, 4, buffer.data(), needed, &needed, &returned)) return 0;
        return static_cast<int>(returned);
    }

    std::string DefaultPrinter() const {
        if (!defaultPrinter_) return std::string();
        DWORD size = 0;
        defaultPrinter_(nullptr, &size);
        if (size == 0) return std::string();
        std::string name(size, '\0');
        if (!defaultPrinter_(name.data(), &size)) return std::string();
        name.resize(strnlen(name.c_str(), name.size()));
        return name;
    }

private:
    template <class Fn>
    Fn Entry(const char* name) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

    using EnumPrintersFn = BOOL(WINAPI*)(DWORD, LPSTR, DWORD, LPBYTE, DWORD, LPDWORD, LPDWORD);
    using DefaultPrinterFn = BOOL(WINAPI*)(LPSTR, LPDWORD);
    HMODULE module_;
    EnumPrintersFn enumPrinters_ = nullptr;
    DefaultPrinterFn defaultPrinter_ = nullptr;
};

struct DeleteDCDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
using OwnedDC = std::unique_ptr<std::remove_pointer_t<HDC>, DeleteDCDeleter>;

std::vector<TFaceReport> EnumeratePrinterFaces() {
    Spooler spooler;
    if (spooler.PrinterCount() == 0) return {};
    std::string printer = spooler.DefaultPrinter();
    if (printer.empty()) return {};
    OwnedDC dc(CreateDCA("WINSPOOL", printer.c_str(), nullptr, nullptr));
    return EnumerateFaces(dc.get());
}

// --- the process-wide table and icons --------------------------------------------------------

struct SharedFaces {
    TFaceList table;
    TBitmap trueTypeIcon, deviceTypeIcon;
    bool built = false;
};

SharedFaces& Shared() {
    static SharedFaces shared;
    return shared;
}

void LoadListIcon(TBitmap& icon, const char* name) {
    icon.LoadFromResource(GetModuleHandleA(nullptr), name);
}
}  // namespace

void BuildFaceTable() {
    SharedFaces& shared = Shared();
    if (shared.built) return;
    LoadListIcon(shared.trueTypeIcon, "TrueTypeIcon");
    LoadListIcon(shared.deviceTypeIcon, "DeviceTypeIcon");
    std::vector<TFaceReport> screen;
    if (!shared.trueTypeIcon.Empty()) {
        // The icon's own memory context is compatible with the screen; it stays selected there
        // for the XOR copies of the item drawing.
        screen = EnumerateFaces(shared.trueTypeIcon.Canvas().Handle());
    } else {
        MemoryDC screenDC;
        screen = EnumerateFaces(screenDC.get());
    }
    shared.table = MakeFaceTable(screen, EnumeratePrinterFaces());
    shared.built = true;
}

const TFaceList& FaceTable() {
    BuildFaceTable();
    return Shared().table;
}

void InstallFaceTable(TFaceList faces) {
    BuildFaceTable();  // the icons
    Shared().table = std::move(faces);
}

TBitmap* TrueTypeIcon() {
    BuildFaceTable();
    return Shared().trueTypeIcon.Empty() ? nullptr : &Shared().trueTypeIcon;
}

TBitmap* DeviceTypeIcon() {
    BuildFaceTable();
    return Shared().deviceTypeIcon.Empty() ? nullptr : &Shared().deviceTypeIcon;
}
