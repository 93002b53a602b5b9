#include "fonts/font_vetting.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <iterator>
#include <mutex>
#include <optional>
#include <thread>

#include "fonts/face_text.h"
#include "fonts/pixel_runs.h"
#include "fonts/temp_font.h"
#include "fonts/truetype_file.h"
#include "widgets/graphics.h"
#include "widgets/wide_text.h"

namespace {

// A helper that has not said it is ready by then never will: the program does without one.
constexpr DWORD kHelperStartTimeoutMs = 15000;
// A helper gets more drawings when no more than this many are left, which keeps it busy between
// two questions of the program.
constexpr size_t kBatch = 8;
// Drawings a helper holds at most: work for about 100 ms, which covers the program's clearing
// and repainting of its list before the first file, and what a preview asked during a scan
// may wait behind.
constexpr size_t kInFlight = 64;
// How often the program reads the helpers' answers while it works through those already in.
constexpr DWORD kBusyCheckMs = 4;
// Pictures drawn ahead and not yet taken, beyond which helpers get no more work until the
// program takes some or waits for an answer: helpers faster than the program would otherwise
// hold a whole folder's pictures in its memory. They are held as they crossed the pipe, in runs
// (a fifth of their pixels). With 64, a helper of a scan of 10,000 fonts ran out of work 41-54
// times per 4,000 files, for 5-7 ms each, while the program repainted or waited for the
// processor; with 256, 11-13 times.
constexpr size_t kPicturesAhead = 256;
// With a helper ready, a second one pays only for a list long enough to win back its start
// (100-150 ms under Wine, the time of about a hundred files) and the processor it takes from the
// other two meanwhile: with 100 real fonts the scan took 0.21-0.31 s with the ready helper alone
// and 0.31-0.48 s when a second one started.
constexpr size_t kListForASecondHelper = 200;
constexpr DWORD kRequestPipeBuffer = 1 << 16;
// Answers carry pictures: room for many, so that the helper never waits for the program to read.
constexpr DWORD kAnswerPipeBuffer = 1 << 22;
constexpr DWORD kReadChunk = 1 << 16;
// The longest sleep while waiting for an answer, between checks of the helper's time.
constexpr DWORD kWaitSliceMs = 50;
constexpr uint32_t kReadyId = 0;
constexpr uint32_t kMaxRequestBytes = 1 << 20;
// How long a helper yields the processor to the check of the file it is to load next before it
// sleeps until the check ends: longer than nearly every check.
constexpr DWORD kYieldingMs = 2;
// A helper down to this many requests takes in those that have arrived since.
constexpr size_t kLookAheadLow = 2;
// Answers a helper writes at once: each write is a call to the system's server, which cost a
// helper a tenth of its time per file; more would keep the program waiting for the batch. An
// answer waits for the others of its write kAnswerHoldMs at most, and the drawing under way then
// (a face of a large collection takes tens of milliseconds).
constexpr int kAnswersPerWrite = 4;
constexpr DWORD kAnswerHoldMs = 5;
// A picture of a 4096 x 1024 bitmap and then some; more is a helper gone wrong.
constexpr uint32_t kMaxAnswerBytes = 16 << 20;
// Helpers that may die in a row before saying they are ready until starts pause: one may be
// killed from outside, three in a row cannot start.
constexpr int kStartsBeforeGivingUp = 3;
constexpr DWORD kLongestRetryPauseMs = 64000;
// A drawing whose helper died this often while on it is condemned; once may be bad luck (a
// helper killed from outside), a fresh process faulting again is the file.
constexpr int kCrashesToCondemn = 2;

// --- the wire: little-endian words and length-prefixed byte strings ---------------------------
// A request is [length][id][size][picture width][picture height][path][face][text]; an answer
// is [length][id][safe][face][width][height][pixels][face count][faces]. Paths and face names
// go as UTF-16 (a name outside the code page would come back as another file's or none), the
// text in the code page. A request with the ready answer's id asks the helper to take a fresh
// record of the installed families; it has no answer. A thumbnail that names no face of a
// collection is answered with the faces' names and then, under the same id, one answer per face
// as if each had been asked for with its name: one registration serves every face, and a plain
// font still costs one request and one answer.

void PutWord(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void PutString(std::string& out, const std::string& text) {
    PutWord(out, static_cast<uint32_t>(text.size()));
    out += text;
}

void PutWide(std::string& out, const std::wstring& text) {
    PutWord(out, static_cast<uint32_t>(text.size() * sizeof(wchar_t)));
    for (const wchar_t unit : text) {
        out.push_back(static_cast<char>(unit & 0xFF));
        out.push_back(static_cast<char>(unit >> 8));
    }
}

void PutPixels(std::string& out, const std::string& pixels) {
    PutWord(out, static_cast<uint32_t>(pixels.size()));
    PutString(out, PixelRuns(pixels));
}

uint32_t WordAt(const char* bytes) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= uint32_t(static_cast<unsigned char>(bytes[i])) << (8 * i);
    return value;
}

class WireReader {
public:
    explicit WireReader(const std::string& bytes) : bytes_(bytes) {}
    uint32_t Word() {
        if (bytes_.size() - at_ < 4) return fail();
        const uint32_t value = WordAt(bytes_.data() + at_);
        at_ += 4;
        return value;
    }
    std::string String() {
        const uint32_t length = Word();
        if (!ok_ || bytes_.size() - at_ < length) return fail(), std::string();
        std::string text = bytes_.substr(at_, length);
        at_ += length;
        return text;
    }
    std::wstring Wide() {
        const std::string bytes = String();
        if (bytes.size() % 2) return fail(), std::wstring();
        std::wstring text(bytes.size() / 2, L'\0');
        for (size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                           static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
        return text;
    }
    // What PutPixels wrote, checked to make up its `size` of at most `limit` bytes, still in runs.
    std::string PixelRunsOf(size_t limit, uint32_t& size) {
        size = Word();
        std::string runs = String();
        if (!ok_ || size > limit || !RunsMakeUp(runs, size)) return fail(), std::string();
        return runs;
    }
    bool Good() const { return ok_; }
    bool Ok() const { return ok_ && at_ == bytes_.size(); }

private:
    uint32_t fail() {
        ok_ = false;
        return 0;
    }
    const std::string& bytes_;
    size_t at_ = 0;
    bool ok_ = true;
};

bool WriteAll(HANDLE pipe, const std::string& bytes) {
    const char* at = bytes.data();
    DWORD left = static_cast<DWORD>(bytes.size());
    while (left > 0) {
        DWORD written = 0;
        if (!WriteFile(pipe, at, left, &written, nullptr) || written == 0) return false;
        at += written;
        left -= written;
    }
    return true;
}

// --- what a helper is drawing now ----------------------------------------------------------------
// Answers go out a few at a time, so the program cannot tell from them alone which drawing a
// helper was on when it died or hung. The helper says so in a record the program made for it,
// named after the helper's process: the ordinal of the request (both sides count every request
// written, from 1) and the face's place in its collection's list (-1 for the request's own
// drawing); 0 between drawings. A helper that finds no record writes each answer at once, and
// the program, seeing the record never taken up, blames the oldest drawing unanswered.
struct DrawingInProgress {
    volatile LONG attached;  // the helper has the record
    volatile LONG ordinal;
    volatile LONG face;
};

std::string ProgressRecordName(DWORD helperProcessId) {
    char name[64];
    wsprintfA(name, "Local\\sorvane-vetting-progress-%lu", static_cast<unsigned long>(helperProcessId));
    return name;
}

}  // namespace

TFontVetter::ProgressRecord::~ProgressRecord() {
    if (record_) UnmapViewOfFile(record_);
    if (mapping_) CloseHandle(mapping_);
}

bool TFontVetter::ProgressRecord::Create(DWORD helperProcessId) {
    mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(DrawingInProgress),
                                  ProgressRecordName(helperProcessId).c_str());
    if (!mapping_) return false;
    auto* record = static_cast<DrawingInProgress*>(MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, sizeof(DrawingInProgress)));
    if (!record) return false;
    // A record of that name left by another program's helper says nothing of this one.
    record->attached = 0;
    record->ordinal = 0;
    record->face = 0;
    record_ = record;
    return true;
}

std::optional<std::pair<uint32_t, int>> TFontVetter::ProgressRecord::Drawing() const {
    const auto* record = static_cast<const DrawingInProgress*>(record_);
    if (!record || !record->attached) return std::nullopt;
    return std::make_pair(static_cast<uint32_t>(record->ordinal), static_cast<int>(record->face));
}

void TFrameBuffer::Append(const char* bytes, size_t count) {
    // What was taken goes before the buffer grows, so the buffer never holds more than the
    // frames still unread.
    if (taken_ > 0) {
        bytes_.erase(0, taken_);
        taken_ = 0;
    }
    bytes_.append(bytes, count);
}

TFrameBuffer::Result TFrameBuffer::Next(std::string& body, uint32_t maxBytes) {
    if (bytes_.size() - taken_ < 4) return Result::Incomplete;
    const uint32_t length = WordAt(bytes_.data() + taken_);
    if (length > maxBytes) return Result::Bad;
    if (bytes_.size() - taken_ - 4 < length) return Result::Incomplete;
    body.assign(bytes_, taken_ + 4, length);
    taken_ += 4 + length;
    return Result::Frame;
}

void TFrameBuffer::Clear() {
    bytes_.clear();
    taken_ = 0;
}

namespace {

std::string Framed(const std::string& body) {
    std::string message;
    PutWord(message, static_cast<uint32_t>(body.size()));
    return message + body;
}

std::string EncodeRequest(uint32_t id, const TFontDrawing& drawing) {
    std::string body;
    PutWord(body, id);
    PutWord(body, static_cast<uint32_t>(drawing.size));
    PutWord(body, static_cast<uint32_t>(drawing.pictureWidth));
    PutWord(body, static_cast<uint32_t>(drawing.pictureHeight));
    PutWide(body, drawing.path);
    PutWide(body, drawing.face);
    PutString(body, drawing.text);
    return Framed(body);
}

struct Request {
    uint32_t id = 0;
    TFontDrawing drawing;
};

bool DecodeRequest(const std::string& body, Request& request) {
    WireReader reader(body);
    request.id = reader.Word();
    request.drawing.size = static_cast<int>(reader.Word());
    request.drawing.pictureWidth = static_cast<int>(reader.Word());
    request.drawing.pictureHeight = static_cast<int>(reader.Word());
    request.drawing.path = reader.Wide();
    request.drawing.face = reader.Wide();
    request.drawing.text = reader.String();
    return reader.Ok();
}

// The requests received on `input`, several at once when the program wrote several: appends
// every whole one that has arrived, waiting for the first when none has. False once the input
// is closed or talks nonsense, and nothing before that is left unanswered.
class RequestReader {
public:
    explicit RequestReader(HANDLE input) : input_(input) {}
    bool Read(std::deque<Request>& into) {
        for (;;) {
            std::string body;
            while (!broken_) {
                const TFrameBuffer::Result next = frames_.Next(body, kMaxRequestBytes);
                if (next == TFrameBuffer::Result::Incomplete) break;
                Request request;
                broken_ = next == TFrameBuffer::Result::Bad || !DecodeRequest(body, request);
                if (!broken_) into.push_back(std::move(request));
            }
            if (!into.empty()) return true;
            if (broken_ || !ReadSome(sizeof(chunk_))) return false;
        }
    }
    // The same without waiting, into a list that holds some already: appends what has
    // arrived. An input found closed is left to the next Read, after what was received.
    void ReadArrived(std::deque<Request>& into) {
        DWORD available = 0;
        if (PeekNamedPipe(input_, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
            ReadSome(std::min<DWORD>(available, sizeof(chunk_))))
            Read(into);
    }

private:
    bool ReadSome(DWORD most) {
        DWORD read = 0;
        if (!ReadFile(input_, chunk_, most, &read, nullptr) || read == 0) return false;
        frames_.Append(chunk_, read);
        return true;
    }

    HANDLE input_;
    TFrameBuffer frames_;
    bool broken_ = false;
    char chunk_[1 << 16];
};

// Reads and checks the files of the requests received on a thread of its own while the
// helper draws the ones before: reading a file is mostly waiting for the system, about a fifth
// of the time a file costs, which the drawing of the file before it now fills.
class FileCheckAhead {
public:
    FileCheckAhead() : worker_([this] { Run(); }) {}
    ~FileCheckAhead() {
        {
            std::lock_guard<std::mutex> hold(lock_);
            stopping_ = true;
        }
        changed_.notify_all();
        worker_.join();
    }
    FileCheckAhead(const FileCheckAhead&) = delete;
    FileCheckAhead& operator=(const FileCheckAhead&) = delete;

    void Offer(const std::wstring& path) {
        {
            std::lock_guard<std::mutex> hold(lock_);
            if (paths_.size() >= kFilesCheckedAhead) return;
            paths_.push_back(path);
        }
        changed_.notify_all();
    }
    // Called before `path` is loaded: a check of it under way is waited for; one not started
    // yet, and those offered before it, are left to the load.
    void Reach(const std::wstring& path) {
        std::unique_lock<std::mutex> hold(lock_);
        const auto at = std::find(paths_.begin(), paths_.end(), path);
        if (at != paths_.end()) paths_.erase(paths_.begin(), at + 1);
        if (checking_ != path) return;
        // The check under way ends within a fraction of a millisecond. Sleeping on the condition
        // costs a call to the system's server for the wait and another for the wake-up under
        // Wine; yielding the processor meanwhile costs neither.
        const unsigned ticket = checked_.load();
        hold.unlock();
        for (const DWORD since = GetTickCount(); checked_.load() == ticket && GetTickCount() - since < kYieldingMs;)
            SwitchToThread();
        hold.lock();
        changed_.wait(hold, [&] { return checking_ != path; });
    }

private:
    void Run() {
        std::unique_lock<std::mutex> hold(lock_);
        for (;;) {
            changed_.wait(hold, [&] { return stopping_ || !paths_.empty(); });
            if (stopping_) return;
            checking_ = std::move(paths_.front());
            paths_.pop_front();
            hold.unlock();
            CheckFontFileAhead(checking_);
            hold.lock();
            checking_.clear();
            ++checked_;
            changed_.notify_all();
        }
    }

    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<std::wstring> paths_;
    std::wstring checking_;
    std::atomic<unsigned> checked_{0};  // checks ended so far
    bool stopping_ = false;
    std::thread worker_;  // last: it starts once the rest is made
};

// The helper's side of the record: says which drawing it is on, when the program made one.
class ProgressReport {
public:
    ProgressReport()
        : mapping_(OpenFileMappingA(FILE_MAP_WRITE, FALSE, ProgressRecordName(GetCurrentProcessId()).c_str())) {
        if (mapping_) record_ = static_cast<DrawingInProgress*>(MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, 0));
        if (record_) record_->attached = 1;
    }
    ~ProgressReport() {
        if (record_) UnmapViewOfFile(record_);
        if (mapping_) CloseHandle(mapping_);
    }
    ProgressReport(const ProgressReport&) = delete;
    ProgressReport& operator=(const ProgressReport&) = delete;

    bool Shared() const { return record_ != nullptr; }
    void On(uint32_t ordinal, int face) {
        if (!record_) return;
        record_->face = face;
        record_->ordinal = static_cast<LONG>(ordinal);
    }

private:
    HANDLE mapping_;
    DrawingInProgress* record_ = nullptr;
};

// Writes answers kAnswersPerWrite at a time when the program can tell which drawing the helper
// is on, else one by one.
class AnswerWriter {
public:
    AnswerWriter(HANDLE output, bool batched) : output_(output), batched_(batched) {}
    bool Add(const std::string& answer) {
        if (pending_.empty()) firstAt_ = GetTickCount();
        pending_ += answer;
        return ++count_ >= (batched_ ? kAnswersPerWrite : 1) ? Flush() : FlushIfHeldLong();
    }
    bool FlushIfHeldLong() { return GetTickCount() - firstAt_ < kAnswerHoldMs || Flush(); }
    bool Flush() {
        const bool written = pending_.empty() || WriteAll(output_, pending_);
        pending_.clear();
        count_ = 0;
        return written;
    }

private:
    HANDLE output_;
    bool batched_;
    std::string pending_;
    int count_ = 0;
    DWORD firstAt_ = 0;
};

std::string EncodeAnswer(uint32_t id, bool safe, const TFontPicture& picture = {}) {
    std::string body;
    PutWord(body, id);
    PutWord(body, safe ? 1 : 0);
    PutWide(body, picture.face);
    PutWord(body, static_cast<uint32_t>(picture.width));
    PutWord(body, static_cast<uint32_t>(picture.height));
    PutPixels(body, picture.pixels);
    PutWord(body, static_cast<uint32_t>(picture.faces.size()));
    for (const std::wstring& face : picture.faces) PutWide(body, face);
    return Framed(body);
}

// --- the helper -------------------------------------------------------------------------------

// A fault ends the helper at once instead of asking for a debugger or an error report: the
// program reads the helper's end as the verdict.
LONG WINAPI EndOnFault(EXCEPTION_POINTERS* fault) {
    TerminateProcess(GetCurrentProcess(), fault && fault->ExceptionRecord ? fault->ExceptionRecord->ExceptionCode : 1);
    return EXCEPTION_EXECUTE_HANDLER;
}

bool WantsPicture(const TFontDrawing& drawing) { return drawing.pictureWidth > 0 && drawing.pictureHeight > 0; }

// Draws the text as the program will with the file registered now. Without a picture to send
// back, the bitmap holds all of the text. A picture is drawn on `surface`, the one bitmap of the
// helper, whose context also names the face: a bitmap and a context made for every file cost
// more than naming it.
TFontPicture DrawRegistered(const TFontDrawing& drawing, const TFamilyBaseline& baseline, TBitmap& surface,
                            const TOwnFamily* own = nullptr) {
    TBitmap measured;
    TBitmap& bitmap = WantsPicture(drawing) ? surface : measured;
    if (WantsPicture(drawing)) {
        bitmap.SetSize(std::min(drawing.pictureWidth, 4096), std::min(drawing.pictureHeight, 1024));
        bitmap.Whiten();
    } else {
        bitmap.SetSize(1, 1);
    }
    const std::wstring face = drawing.face.empty()
                                  ? FaceNameOfRegisteredFile(drawing.path, bitmap.Canvas().Handle(), baseline, own)
                                  : drawing.face;
    if (!WantsPicture(drawing) && SelectFaceFont(bitmap.Canvas(), bitmap.Canvas().Handle(), face, drawing.size)) {
        const SIZE extent = TextToDrawExtent(bitmap.Canvas(), face, drawing.text);
        bitmap.SetSize(std::clamp<int>(extent.cx, 1, 4096), std::clamp<int>(extent.cy, 1, 1024));
    }
    DrawFaceText(bitmap.Canvas(), bitmap.Canvas().Handle(), face, drawing.text, 0, 0, drawing.size);
    if (!WantsPicture(drawing)) return TFontPicture{};
    return TFontPicture{face, bitmap.Width(), bitmap.Height(), bitmap.Pixels(), {}};
}

// Registers the file, draws as asked, unregisters, and writes the answers: one, or for a
// collection's thumbnail without a face the faces' names and then one per face. False when the
// program's end of the pipe is gone.
bool AnswerDrawing(AnswerWriter& answers, ProgressReport& progress, uint32_t ordinal, uint32_t id,
                   const TFontDrawing& drawing, const TFamilyBaseline& baseline, TBitmap& surface,
                   const std::function<void(const TFontDrawing&)>& beforeEach) {
    TFontPicture picture;
    std::vector<std::wstring> faces;
    bool safe = false;
    if (!answers.FlushIfHeldLong()) return false;
    progress.On(ordinal, -1);
    try {
        if (beforeEach) beforeEach(drawing);
        // A single font checked ahead is named by its own family when the system lists it so.
        TOwnFamily own{drawing.face.empty() ? FamilyCheckedAhead(drawing.path) : std::wstring()};
        if (!own.name.empty()) own.listedBefore = ListedRecordsOf(own.name, surface.Canvas().Handle());
        if (LoadTempFont(drawing.path)) {
            safe = true;
            if (drawing.face.empty() && WantsPicture(drawing) && TempFontFaceCount() > 1) {
                faces = FaceNamesOfRegisteredFile(drawing.path, surface.Canvas().Handle(), baseline);
                faces.resize(std::min(faces.size(), size_t(kMaxCollectionFaces)));
                picture.faces = faces;
            } else {
                picture = DrawRegistered(drawing, baseline, surface, &own);
            }
        }
    } catch (...) {
        safe = false;
    }
    // The faces' names reach the program before any face is drawn: a face that faults must find
    // its own drawing there.
    bool written = answers.Add(EncodeAnswer(id, safe, picture)) && (faces.empty() || answers.Flush());
    for (size_t i = 0; written && i < faces.size() && (written = answers.FlushIfHeldLong()); ++i) {
        progress.On(ordinal, static_cast<int>(i));
        TFontDrawing one = drawing;
        one.face = faces[i];
        TFontPicture drawn;
        bool drawnSafely = true;
        try {
            if (beforeEach) beforeEach(one);
            drawn = DrawRegistered(one, baseline, surface);
        } catch (...) {
            drawnSafely = false;
        }
        written = answers.Add(EncodeAnswer(id, drawnSafely, drawn));
    }
    UnloadTempFont();
    progress.On(0, -1);
    return written;
}

// The helper belongs to a job that is killed when its last handle closes, so it cannot outlive
// the program even when the program is killed.
HANDLE CreateKillOnCloseJob() {
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    if (!job) return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    return job;
}

void CloseIfOpen(HANDLE& handle) {
    if (handle) CloseHandle(handle);
    handle = nullptr;
}

}  // namespace

int RunFontVettingHelper(HANDLE input, HANDLE output, const std::function<void(const TFontDrawing&)>& beforeEach) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(EndOnFault);
    TFamilyBaseline baseline = TFamilyBaseline::Capture(nullptr);
    if (!WriteAll(output, EncodeAnswer(kReadyId, true))) return 1;
    RequestReader reader(input);
    FileCheckAhead checker;
    ProgressReport progress;
    AnswerWriter answers(output, progress.Shared());
    std::deque<Request> received;
    TBitmap surface;
    uint32_t ordinal = 0;
    for (;;) {
        // The program sends more before a helper runs out: taken in before the last few are
        // drawn, their files are checked meanwhile.
        const size_t known = received.size();
        // Nothing is held back while the helper waits for work.
        if (known == 0 && (!answers.Flush() || !reader.Read(received))) break;
        if (known == kLookAheadLow) reader.ReadArrived(received);
        for (size_t i = known; i < received.size(); ++i)
            if (!received[i].drawing.path.empty()) checker.Offer(received[i].drawing.path);
        Request request = std::move(received.front());
        received.pop_front();
        ++ordinal;
        if (request.id == kReadyId) {
            baseline = TFamilyBaseline::Capture(nullptr);
            continue;
        }
        checker.Reach(request.drawing.path);
        if (!AnswerDrawing(answers, progress, ordinal, request.id, request.drawing, baseline, surface, beforeEach))
            break;
    }
    return 0;
}

// --- the program's side -------------------------------------------------------------------------

size_t TFontDrawingHash::operator()(const TFontDrawing& drawing) const {
    size_t hash = std::hash<std::wstring>()(drawing.path);
    const auto mix = [&](size_t value) { hash ^= value + 0x9E3779B9 + (hash << 6) + (hash >> 2); };
    mix(std::hash<std::wstring>()(drawing.face));
    mix(std::hash<std::string>()(drawing.text));
    mix(static_cast<size_t>(drawing.size));
    mix(static_cast<size_t>(drawing.pictureWidth) << 16 ^ static_cast<size_t>(drawing.pictureHeight));
    return hash;
}

TFontVetter::Helper::~Helper() {
    CloseIfOpen(toHelper);
    CloseIfOpen(process);
}

TFontVetter::TFontVetter(std::function<void()> pump, std::string helperCommandLine)
    : pump_(std::move(pump)),
      commandLine_(helperCommandLine.empty() ? OwnHelperCommandLine() : std::move(helperCommandLine)) {
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    maxHelpers_ = std::clamp<int>(static_cast<int>(system.dwNumberOfProcessors), 1, kMaxHelpers);
}

TFontVetter::~TFontVetter() {
    EndHelpers();
    CloseIfOpen(job_);
}

std::string TFontVetter::OwnHelperCommandLine() {
    char path[MAX_PATH * 2] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    if (length == 0 || length >= sizeof(path)) return std::string();
    // Appended piece by piece: GCC 12 misreads "literal" + std::string&& as an overlapping copy.
    std::string command = "\"";
    command.append(path, length).append("\" ").append(kFontVettingSwitch);
    return command;
}

void TFontVetter::Prefetch(const TFontDrawing& drawing) {
    Queue(drawing);
    // Only hands out work: answers are read when the program asks.
    SendWaiting();
}

void TFontVetter::Prefetch(const std::vector<TFontDrawing>& drawings) {
    for (const TFontDrawing& drawing : drawings) Queue(drawing);
    // One write for the lot: prefetched one by one, a helper got only the first few (its
    // answers are not read meanwhile) and sat idle while the program cleared and repainted its
    // list before the first file.
    SendWaiting();
}

void TFontVetter::Queue(const TFontDrawing& drawing) {
    lastActivity_ = GetTickCount();
    if (WithoutHelpers() || verdicts_.count(drawing) || !queued_.insert(drawing).second) return;
    waiting_.push_back(Pending{nextId_++, drawing});
}

TFontVerdict TFontVetter::Vet(const TFontDrawing& drawing) {
    Prefetch(drawing);
    MoveToFront(drawing);
    for (;;) {
        auto known = verdicts_.find(drawing);
        if (known != verdicts_.end()) {
            const TFontVerdict verdict = known->second;
            KeepHelpersBusy();
            return verdict;
        }
        if (WithoutHelpers()) {
            // The callers decide alone for now; a helper started later must not draw what was
            // waiting meanwhile.
            waiting_.clear();
            queued_.clear();
            return TFontVerdict::NoHelper;
        }
        // A handler that ran in the pump may have stopped the helpers after this drawing was
        // settled, which forgets the verdict: ask again.
        if (!queued_.count(drawing)) {
            Prefetch(drawing);
            continue;
        }
        Poll();  // the answer may be waiting in a pipe already
        if (WithoutHelpers() || verdicts_.count(drawing)) continue;
        // Someone waits: whatever was drawn ahead, the helpers get work.
        waitingForAnswer_ = true;
        SendWaiting();
        waitingForAnswer_ = false;
        // Wakes for an answer, a helper's end, input, or to check the helpers' time.
        std::vector<HANDLE> events;
        for (const auto& helper : helpers_) {
            events.push_back(helper->answers.ArrivalEvent());
            events.push_back(helper->process);
        }
        MsgWaitForMultipleObjects(static_cast<DWORD>(events.size()), events.data(), FALSE, kWaitSliceMs, QS_ALLINPUT);
        if (pump_) pump_();
    }
}

std::optional<TFontPicture> TFontVetter::TakePicture(const TFontDrawing& drawing) {
    auto drawn = pictures_.find(drawing);
    if (drawn == pictures_.end()) return std::nullopt;
    TFontPicture picture = std::move(drawn->second.picture);
    // The runs were found whole when they arrived.
    picture.pixels = PixelsFromRuns(drawn->second.runs, drawn->second.pixelBytes).value_or(std::string());
    pictures_.erase(drawn);
    return picture;
}

void TFontVetter::Redraw(const TFontDrawing& drawing) {
    auto known = verdicts_.find(drawing);
    if (known != verdicts_.end()) {
        if (known->second != TFontVerdict::Safe || pictures_.count(drawing)) return;
        verdicts_.erase(known);
    }
    Prefetch(drawing);
}

void TFontVetter::Collect() {
    if (!helpers_.empty() || !waiting_.empty()) Poll();
}

std::optional<TFontVerdict> TFontVetter::VerdictOf(const TFontDrawing& drawing) const {
    auto known = verdicts_.find(drawing);
    if (known == verdicts_.end()) return std::nullopt;
    return known->second;
}

void TFontVetter::StartHelpers(size_t drawings) {
    lastActivity_ = GetTickCount();
    Poll();  // a helper standing by may have said it is ready since
    StartHelpersFor(drawings);
}

// A long list is shared between helpers; one drawing at a time needs one.
void TFontVetter::StartHelpersFor(size_t drawings) {
    const bool oneReady = std::any_of(helpers_.begin(), helpers_.end(), [](const auto& h) { return h->ready; });
    const size_t threshold = oneReady ? kListForASecondHelper : kBatch;
    const size_t wanted = drawings > threshold ? static_cast<size_t>(maxHelpers_) : 1;
    while (helpers_.size() < wanted && StartHelper()) {
    }
}

void TFontVetter::StopHelpers() {
    EndHelpers();
    verdicts_.clear();
    pictures_.clear();
}

void TFontVetter::StandBy() {
    // A helper still drawing would answer for files that may have changed by the next use; an
    // idle one is as good as a fresh one. The youngest is kept: what the system keeps of every
    // font a helper drew makes it larger and slower with each scan.
    auto idle = std::find_if(helpers_.rbegin(), helpers_.rend(), [](const auto& helper) { return helper->sent.empty(); });
    std::unique_ptr<Helper> kept;
    if (idle != helpers_.rend()) {
        kept = std::move(*idle);
        helpers_.erase(std::next(idle).base());
    }
    EndHelpers();
    // Unasked drawings go too, so that the helper kept does not work through them.
    waiting_.clear();
    queued_.clear();
    verdicts_.clear();
    pictures_.clear();
    if (kept) {
        helpers_.push_back(std::move(kept));
    } else {
        StartHelper();
    }
}

void TFontVetter::StandByIfIdle(DWORD idleMs) {
    const bool somethingToForget = !verdicts_.empty() || !pictures_.empty() || helpers_.size() > 1;
    if (somethingToForget && queued_.empty() && GetTickCount() - lastActivity_ >= idleMs) StandBy();
}

// The caller waits for this drawing now: a preview asked for during a scan goes before the
// rest of the folder.
void TFontVetter::MoveToFront(const TFontDrawing& drawing) {
    // Settled already, as when the helpers run ahead of the program: nothing to look for in a
    // list that can hold the rest of a folder of tens of thousands.
    if (!queued_.count(drawing)) return;
    auto same = [&](const Pending& pending) { return pending.drawing == drawing; };
    // A scan asks in the order it prefetched, so its drawing is usually with a helper already.
    for (const auto& helper : helpers_)
        if (std::any_of(helper->sent.begin(), helper->sent.end(), same)) return;
    auto waiting = std::find_if(waiting_.begin(), waiting_.end(), same);
    if (waiting == waiting_.end() || waiting == waiting_.begin()) return;
    Pending pending = std::move(*waiting);
    waiting_.erase(waiting);
    waiting_.push_front(std::move(pending));
    SendWaiting();
}

size_t TFontVetter::SentCount() const {
    size_t sent = 0;
    for (const auto& helper : helpers_) sent += helper->sent.size();
    return sent;
}

// Puts drawings back ahead of those not yet sent, oldest first.
void TFontVetter::Requeue(std::deque<Pending> pending) {
    for (auto at = pending.rbegin(); at != pending.rend(); ++at) waiting_.push_front(std::move(*at));
}

bool TFontVetter::StartsPaused() const { return pauseMs_ > 0 && GetTickCount() - pausedAt_ < pauseMs_; }

// A failure may pass (a process limit reached for a moment, the executable held by a scanner), so
// starts only pause; the pause grows while they keep failing, so that a helper that can never
// start costs a scan next to nothing.
void TFontVetter::PauseStarts() {
    pausedAt_ = GetTickCount();
    pauseMs_ = pauseMs_ ? std::min(pauseMs_ * 2, kLongestRetryPauseMs) : kRetryPauseMs;
}

bool TFontVetter::StartHelper() {
    if (!startsAllowed_ || StartsPaused()) return false;
    if (commandLine_.empty()) return PauseStarts(), false;
    if (!job_) job_ = CreateKillOnCloseJob();

    auto helper = std::make_unique<Helper>();
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    HANDLE childInput = nullptr, childOutput = nullptr;
    if (!CreatePipe(&childInput, &helper->toHelper, &inheritable, kRequestPipeBuffer)) return PauseStarts(), false;
    if (!helper->answers.Open(childOutput)) {
        CloseHandle(childInput);
        return PauseStarts(), false;
    }
    // Our end stays here, or a helper started later would hold it open.
    SetHandleInformation(helper->toHelper, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childInput;
    startup.hStdOutput = childOutput;
    PROCESS_INFORMATION created{};
    std::string commandLine = commandLine_;
    // Without a console: a console program (a test program as helper) would get a hidden console
    // host, which holds the helper's input open after the helper has gone or closed it.
    const BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_SUSPENDED | DETACHED_PROCESS, nullptr, nullptr, &startup, &created);
    CloseHandle(childInput);
    CloseHandle(childOutput);
    if (!started) return PauseStarts(), false;
    // Before the helper runs, so that it finds its record; without one it answers one by one.
    helper->progress.Create(created.dwProcessId);
    if (job_) AssignProcessToJobObject(job_, created.hProcess);
    ResumeThread(created.hThread);
    CloseHandle(created.hThread);
    helper->process = created.hProcess;
    helper->processId = created.dwProcessId;
    helper->startedAt = GetTickCount();
    helpers_.push_back(std::move(helper));
    return true;
}

void TFontVetter::EndHelper(Helper& helper) {
    CloseIfOpen(helper.toHelper);
    if (helper.process) {
        TerminateProcess(helper.process, 0);
        // Gone before we return, so nothing of it holds a file the user may delete next.
        WaitForSingleObject(helper.process, 5000);
    }
    std::erase_if(helpers_, [&](const auto& h) { return h.get() == &helper; });
}

void TFontVetter::EndHelpers() {
    // All told to go first, so that they go at once; then each is waited for.
    std::deque<Pending> unanswered;
    for (const auto& helper : helpers_) {
        if (helper->process) TerminateProcess(helper->process, 0);
        for (Pending& pending : helper->sent) unanswered.push_back(std::move(pending));
    }
    while (!helpers_.empty()) EndHelper(*helpers_.back());
    // A collection's faces share their file's id and stay in their order.
    std::stable_sort(unanswered.begin(), unanswered.end(),
                     [](const Pending& a, const Pending& b) { return a.id < b.id; });
    Requeue(std::move(unanswered));
}

void TFontVetter::SendWaiting() {
    if (waiting_.empty()) return;
    if (pictures_.size() >= kPicturesAhead && !waitingForAnswer_) return;
    StartHelpersFor(waiting_.size() + SentCount());
    // In small batches, so that each helper stays busy and answers for the drawings asked
    // next come soon; each write and each read of a pipe costs a call to the system's server.
    // A helper still starting gets none while another is up: what it held would keep the
    // program waiting for its start.
    const bool anyReady = std::any_of(helpers_.begin(), helpers_.end(), [](const auto& h) { return h->ready; });
    for (size_t i = 0; i < helpers_.size() && !waiting_.empty(); ++i) {
        Helper& helper = *helpers_[i];
        if (helper.sent.size() > kBatch || (!helper.ready && (anyReady || i > 0))) continue;
        std::string batch;
        if (helper.sent.empty()) {
            helper.oldestSince = GetTickCount();
            // A family installed while it stood idle would count as added by every file: the
            // program takes a fresh record for each scan, and so does the helper.
            if (helper.ready) {
                batch += EncodeRequest(kReadyId, TFontDrawing{});
                ++helper.requestsWritten;
            }
        }
        const size_t held = helper.sent.size();
        while (!waiting_.empty() && helper.sent.size() < kInFlight) {
            batch += EncodeRequest(waiting_.front().id, waiting_.front().drawing);
            // A face drawn again goes as a request of its own.
            waiting_.front().ordinal = ++helper.requestsWritten;
            waiting_.front().face = -1;
            helper.sent.push_back(std::move(waiting_.front()));
            waiting_.pop_front();
        }
        if (!WriteAll(helper.toHelper, batch)) {
            // The helper is gone, or has closed its input. The batch never reached it; what it
            // answered before it went is in its pipe, and only a drawing it received and did
            // not answer counts against it.
            Requeue(std::deque<Pending>(std::make_move_iterator(helper.sent.begin() + held),
                                        std::make_move_iterator(helper.sent.end())));
            helper.sent.erase(helper.sent.begin() + held, helper.sent.end());
            ReadAnswers(helper);
            HandleLostHelper(helper, false);
            return;
        }
    }
}

// While the program works through answers already in, nothing reads the helpers' pipes, and a
// helper that has answered all it held would sit idle until the program next waits.
void TFontVetter::KeepHelpersBusy() {
    if (!waiting_.empty() && GetTickCount() - lastPoll_ >= kBusyCheckMs) Poll();
}

void TFontVetter::Poll() {
    lastPoll_ = GetTickCount();
    for (size_t i = 0; i < helpers_.size();) {
        Helper& helper = *helpers_[i];
        const bool ended = WaitForSingleObject(helper.process, 0) == WAIT_OBJECT_0;
        // Read what an ended helper wrote before it went.
        const bool talking = ReadAnswers(helper);
        const DWORD now = GetTickCount();  // after the answers, which restart the clock
        if (!talking || ended) {
            HandleLostHelper(helper, false);
        } else if (!helper.ready && now - helper.startedAt > kHelperStartTimeoutMs) {
            HandleLostHelper(helper, false);
        } else if (helper.ready && TimedOut(helper, now)) {
            HandleLostHelper(helper, true);
        } else {
            ++i;
        }
    }
    if (WithoutHelpers()) {
        // Nothing will be answered for now: each caller decides in its own process.
        waiting_.clear();
        queued_.clear();
        return;
    }
    SendWaiting();
}

DWORD TFontVetter::AnswerAllowanceMs(const TFontDrawing& drawing) {
    WIN32_FILE_ATTRIBUTE_DATA state;
    if (!GetFileAttributesExW(ExtendedLengthPath(drawing.path).c_str(), GetFileExInfoStandard, &state))
        return kAnswerTimeoutMs;
    const uint64_t megabytes = ((uint64_t(state.nFileSizeHigh) << 32) | state.nFileSizeLow) >> 20;
    return kAnswerTimeoutMs + static_cast<DWORD>(std::min<uint64_t>(megabytes, 1024) * kExtraMsPerMegabyte);
}

// The file's size is looked up only for a drawing that has taken longer than any small font
// may, so that a folder of small fonts costs no look-up.
bool TFontVetter::TimedOut(Helper& helper, DWORD now) {
    if (helper.sent.empty() || now - helper.oldestSince <= kAnswerTimeoutMs) return false;
    const std::optional<size_t> at = DrawingOf(helper);
    if (!at) return false;  // between drawings: its answers are on their way
    Pending& current = helper.sent[*at];
    if (!current.allowanceMs) current.allowanceMs = AnswerAllowanceMs(current.drawing);
    return now - helper.oldestSince > current.allowanceMs;
}

std::optional<size_t> TFontVetter::DrawingOf(const Helper& helper) {
    if (helper.sent.empty()) return std::nullopt;
    const std::optional<std::pair<uint32_t, int>> on = helper.progress.Drawing();
    if (!on) return 0;
    for (size_t i = 0; i < helper.sent.size(); ++i)
        if (helper.sent[i].ordinal == on->first && helper.sent[i].face == on->second) return i;
    return std::nullopt;
}

bool TFontVetter::ReadAnswers(Helper& helper) {
    // What an ended helper wrote before it went still counts.
    const bool open = helper.answers.Drain(helper.partialAnswers);
    std::string body;
    for (;;) {
        const TFrameBuffer::Result next = helper.partialAnswers.Next(body, kMaxAnswerBytes);
        if (next == TFrameBuffer::Result::Bad) return false;
        if (next == TFrameBuffer::Result::Incomplete) break;
        WireReader reader(body);
        const uint32_t id = reader.Word();
        const bool safe = reader.Word() != 0;
        TFontPicture picture;
        picture.face = reader.Wide();
        picture.width = static_cast<int>(reader.Word());
        picture.height = static_cast<int>(reader.Word());
        uint32_t pixelBytes = 0;
        std::string runs = reader.PixelRunsOf(kMaxAnswerBytes, pixelBytes);
        const uint32_t faceCount = reader.Word();
        if (faceCount > kMaxCollectionFaces) return false;
        for (uint32_t i = 0; i < faceCount && reader.Good(); ++i) picture.faces.push_back(reader.Wide());
        if (!reader.Ok()) return false;
        helper.oldestSince = lastActivity_ = GetTickCount();
        if (id == kReadyId) {
            helper.ready = true;
            failedStarts_ = 0;
            pauseMs_ = 0;
            continue;
        }
        // Answers come in the order of the requests; anything else is a helper gone wrong.
        if (helper.sent.empty() || helper.sent.front().id != id) return false;
        const TFontDrawing drawing = helper.sent.front().drawing;
        const uint32_t ordinal = helper.sent.front().ordinal;
        std::vector<TFontDrawing> faces;
        if (!picture.faces.empty()) {
            // Only a thumbnail without a face, of a file the helper could register, has faces.
            if (!safe || !WantsPicture(drawing) || !drawing.face.empty() || !runs.empty()) return false;
            for (const std::wstring& face : picture.faces) {
                if (face.empty()) return false;
                faces.push_back(drawing);
                faces.back().face = face;
            }
        }
        if (safe && WantsPicture(drawing) && (!runs.empty() || !picture.faces.empty()))
            pictures_[drawing] = HeldPicture{std::move(picture), std::move(runs), pixelBytes};
        Settle(drawing, safe ? TFontVerdict::Safe : TFontVerdict::Unsafe);
        helper.sent.pop_front();
        // The answers for the faces follow under the same id, in this order, as if the faces had
        // been asked for one by one.
        for (size_t i = faces.size(); i-- > 0;) {
            verdicts_.erase(faces[i]);
            queued_.insert(faces[i]);
            helper.sent.push_front(Pending{id, faces[i], ordinal, static_cast<int>(i)});
        }
    }
    return open;
}

// --- the answer pipe ---------------------------------------------------------------------------

TFontVetter::AnswerPipe::AnswerPipe() : buffer_(kReadChunk, '\0') {}

bool TFontVetter::AnswerPipe::Open(HANDLE& childEnd) {
    Close();
    // Anonymous pipes cannot be read asynchronously; a named one, private to this process by its
    // name and to one client, can.
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    char name[96];
    wsprintfA(name, "\\\\.\\pipe\\sorvane-vetting-%lu-%p-%08lx%08lx", GetCurrentProcessId(), static_cast<void*>(this),
              static_cast<unsigned long>(now.HighPart), static_cast<unsigned long>(now.LowPart));
    pipe_ = CreateNamedPipeA(name, PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                             PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 0, kAnswerPipeBuffer, 0, nullptr);
    if (pipe_ == INVALID_HANDLE_VALUE) pipe_ = nullptr;
    arrived_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    childEnd = pipe_ && arrived_ ? CreateFileA(name, GENERIC_WRITE, 0, &inheritable, OPEN_EXISTING, 0, nullptr)
                                 : INVALID_HANDLE_VALUE;
    if (childEnd == INVALID_HANDLE_VALUE) {
        childEnd = nullptr;
        Close();
        return false;
    }
    return true;
}

bool TFontVetter::AnswerPipe::Drain(TFrameBuffer& to) {
    if (!pipe_) return false;
    for (;;) {
        if (!pending_) {
            read_ = OVERLAPPED{};
            read_.hEvent = arrived_;
            if (!ReadFile(pipe_, buffer_.data(), static_cast<DWORD>(buffer_.size()), nullptr, &read_) &&
                GetLastError() != ERROR_IO_PENDING) {
                return false;
            }
            pending_ = true;
        }
        DWORD read = 0;
        if (!GetOverlappedResult(pipe_, &read_, &read, FALSE)) return GetLastError() == ERROR_IO_INCOMPLETE;
        pending_ = false;
        to.Append(buffer_.data(), read);
    }
}

void TFontVetter::AnswerPipe::Close() {
    if (pending_) {
        // The read writes into our buffer until it is cancelled for good.
        CancelIo(pipe_);
        DWORD read = 0;
        GetOverlappedResult(pipe_, &read_, &read, TRUE);
        pending_ = false;
    }
    CloseIfOpen(pipe_);
    CloseIfOpen(arrived_);
}

void TFontVetter::HandleLostHelper(Helper& helper, bool hung) {
    const bool wasReady = helper.ready;
    const std::optional<size_t> current = DrawingOf(helper);  // before its record goes with it
    std::deque<Pending> sent = std::move(helper.sent);
    helper.sent.clear();
    EndHelper(helper);
    if (!wasReady) {
        // It had drawn nothing yet: what it was given goes to the next one, unless helpers
        // keep failing to come up, and then starts pause.
        Requeue(std::move(sent));
        if (++failedStarts_ >= kStartsBeforeGivingUp) PauseStarts();
        return;
    }
    if (sent.empty()) return;
    // Only the drawing it was on counts against the file; the others, drawn or not, go to the
    // next helper. Between drawings (killed from outside), nothing counts.
    if (!current) {
        Requeue(std::move(sent));
        return;
    }
    Pending culprit = std::move(sent[*current]);
    sent.erase(sent.begin() + static_cast<std::ptrdiff_t>(*current));
    Requeue(std::move(sent));
    if (hung || ++culprit.crashes >= kCrashesToCondemn) {
        Settle(culprit.drawing, TFontVerdict::Unsafe);
    } else {
        waiting_.push_front(std::move(culprit));  // once more, first, in a fresh helper
    }
}

void TFontVetter::Settle(const TFontDrawing& drawing, TFontVerdict verdict) {
    verdicts_[drawing] = verdict;
    queued_.erase(drawing);
}
