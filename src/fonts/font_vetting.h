#pragma once
#include <windows.h>

#include <compare>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// A damaged font file can pass every structural check, register and measure fine, and still
// fault inside the system's text drawing. Inside a window procedure that fault is swallowed with
// the system's font lock held, and every later font call of the process waits for ever. No check
// of ours can rule it out, so before the program registers a file or draws with it, a helper
// process (this executable started with kFontVettingSwitch) registers it privately, draws exactly
// what the program is about to draw, unregisters it and answers. A helper that crashes, does not
// answer in time or cannot register the file condemns it. For a thumbnail the helper's drawing
// is the one the program shows: it comes back with the answer.

inline constexpr char kFontVettingSwitch[] = "--vet-fonts";

// One drawing the program is about to make with a font file.
struct TFontDrawing {
    std::wstring path;  // the font file
    std::wstring face;  // the face to draw; empty: the face the file's registration adds
    std::string text;   // empty: the face name
    int size = 30;     // points
    // Non-zero: the helper draws at (0, 0) on a white picture of this size and sends it back,
    // with the face it drew, so that the program need not register the file at all.
    int pictureWidth = 0, pictureHeight = 0;

    auto operator<=>(const TFontDrawing&) const = default;
};

// The vetter looks drawings up several times per file of a scan, and the paths of a folder share
// all but their last characters: a hash reads each path once where ordered look-ups compared its
// shared part a dozen times.
struct TFontDrawingHash {
    size_t operator()(const TFontDrawing& drawing) const;
};

// What the helper drew for a drawing that asked for a picture. A picture of a collection's file
// that named no face holds no pixels but the names of the collection's faces, in its order: the
// helper then draws each face as a drawing of its own (`face` set), whose verdicts and pictures
// follow, so that a face that faults or hangs costs only its own picture.
struct TFontPicture {
    std::wstring face;
    int width = 0, height = 0;
    std::string pixels;  // as TBitmap::Pixels gives them
    std::vector<std::wstring> faces;
};

enum class TFontVerdict : uint8_t {
    Safe,
    Unsafe,    // the helper crashed, hung or could not register the file
    NoHelper,  // no helper runs and none can be started now: the caller decides in its own process
};

// Bytes received from a pipe, taken off as whole frames: a little-endian length, then as many
// bytes of body.
class TFrameBuffer {
public:
    enum class Result : uint8_t { Frame, Incomplete, Bad };

    void Append(const char* bytes, size_t count);
    // Bad when the next frame claims more than `maxBytes`.
    Result Next(std::string& body, uint32_t maxBytes);
    void Clear();

private:
    std::string bytes_;
    size_t taken_ = 0;  // bytes at the front already handed out
};

// The helper's side: answers the requests read from `input` on `output` until the input
// closes, and returns the exit code. `beforeEach` runs before each drawing (tests use it to make
// the helper misbehave).
int RunFontVettingHelper(HANDLE input, HANDLE output,
                         const std::function<void(const TFontDrawing&)>& beforeEach = nullptr);

// The program's side: helper processes, started on first use or ahead of it (StartHelpers), and
// ended by StopHelpers or with the object (or with this process: helpers belong to a job that
// dies with it, and leave when their input pipe closes). Between uses one helper stays, idle and
// ready (StandBy). A long list of prefetched drawings is shared out in small batches
// between up to one helper per processor (kMaxHelpers at most), which work on it while the
// program does its own work; each helper answers in order. Verdicts are kept until the helpers
// stop. A helper that gets work after it had none first takes a fresh record of the installed
// families, as the program does for each scan. When no helper can be started, the vetter
// answers NoHelper and tries again after a pause.
class TFontVetter {
public:
    // How long a helper may take over one drawing before it counts as hung; a large file gets
    // kExtraMsPerMegabyte more for each megabyte (registering and naming a collection of CJK faces
    // reads far more than a small font does).
    static constexpr DWORD kAnswerTimeoutMs = 3000;
    static constexpr DWORD kExtraMsPerMegabyte = 250;
    // The time a helper may take over `drawing`.
    static DWORD AnswerAllowanceMs(const TFontDrawing& drawing);
    // Helpers that work on a long list at once; more than the machine's processors never pays.
    static constexpr int kMaxHelpers = 2;
    // After a helper could not be started, or three in a row ended before they were ready, no
    // new one is tried for this long, so that a missing helper costs no time per file; the pause
    // doubles while they keep failing.
    static constexpr DWORD kRetryPauseMs = 2000;

    // `pump` runs while waiting for a helper, so the program's windows keep answering.
    explicit TFontVetter(std::function<void()> pump = nullptr, std::string helperCommandLine = "");
    ~TFontVetter();
    TFontVetter(const TFontVetter&) = delete;
    TFontVetter& operator=(const TFontVetter&) = delete;

    // Lets a helper work on `drawing` before the program asks for it.
    void Prefetch(const TFontDrawing& drawing);
    // The same for a list, in its order.
    void Prefetch(const std::vector<TFontDrawing>& drawings);
    // Whether making `drawing` is safe; waits for the helpers, pumping, as long as needed.
    TFontVerdict Vet(const TFontDrawing& drawing);
    // The picture a helper drew for a safe `drawing` that asked for one; handed out once.
    std::optional<TFontPicture> TakePicture(const TFontDrawing& drawing);
    // Asks a helper to draw a picture once more that was drawn and handed out before: a list
    // that let a row's thumbnail go shows the row again. Without waiting; a drawing judged
    // unsafe stays so.
    void Redraw(const TFontDrawing& drawing);
    // Reads the answers that have arrived and hands out more work, without waiting.
    void Collect();
    // The verdict on `drawing` when there is one.
    std::optional<TFontVerdict> VerdictOf(const TFontDrawing& drawing) const;
    // No helper runs and none may start now: the caller decides in its own process.
    bool WithoutHelpers() const { return helpers_.empty() && (!startsAllowed_ || StartsPaused()); }

    // Starts the helpers `drawings` drawings will need ahead of the first question, so that
    // their start overlaps the caller's work.
    void StartHelpers(size_t drawings);

    // Ends the helpers and forgets the verdicts (the files may change before the next use);
    // drawings still asked for go to fresh helpers on the next question.
    void StopHelpers();
    // Forgets the verdicts, the pictures not taken and the drawings only prefetched, and keeps
    // one helper that has nothing to do, ready for the next question; the others end. When
    // none is idle, a fresh one starts. A helper waiting for its next request reads its pipe
    // and costs no processor time.
    void StandBy();
    // StandBy, once nothing was asked or answered for `idleMs` and there is something to forget.
    void StandByIfIdle(DWORD idleMs);
    // While not allowed (the program is closing), no helper starts: helpers running answer, and
    // without one every question is answered NoHelper.
    bool StartsAllowed() const { return startsAllowed_; }
    void SetStartsAllowed(bool allowed) { startsAllowed_ = allowed; }

    // The first running helper's process, 0 when none runs.
    DWORD HelperProcessId() const { return helpers_.empty() ? 0 : helpers_.front()->processId; }
    size_t HelperCount() const { return helpers_.size(); }
    // This executable with the helper switch.
    static std::string OwnHelperCommandLine();

private:
    struct Pending {
        uint32_t id;
        TFontDrawing drawing;
        uint32_t ordinal = 0;  // the helper's count of requests up to this one's, once written
        int face = -1;         // a face the helper drew for a collection's request: its place
        int crashes = 0;  // helpers that died while on this drawing
        DWORD allowanceMs = 0;  // looked up once the base allowance has run out
    };
    // The record in which a helper says which drawing it is on (it writes its answers a few at
    // a time), made by the program for each helper before the helper runs.
    class ProgressRecord {
    public:
        ProgressRecord() = default;
        ~ProgressRecord();
        ProgressRecord(const ProgressRecord&) = delete;
        ProgressRecord& operator=(const ProgressRecord&) = delete;
        bool Create(DWORD helperProcessId);
        // The ordinal of the request the helper is on and the face's place (-1 for the
        // request's own drawing); ordinal 0 between drawings. Nothing when there is no record or
        // the helper has not taken it up.
        std::optional<std::pair<uint32_t, int>> Drawing() const;

    private:
        HANDLE mapping_ = nullptr;
        void* record_ = nullptr;
    };
    // The program's end of a helper's standard output, read asynchronously, so that a wait for
    // an answer ends the moment bytes arrive.
    class AnswerPipe {
    public:
        AnswerPipe();
        ~AnswerPipe() { Close(); }
        AnswerPipe(const AnswerPipe&) = delete;
        AnswerPipe& operator=(const AnswerPipe&) = delete;

        // Makes a fresh pipe; `childEnd` receives the inheritable end for the helper.
        bool Open(HANDLE& childEnd);
        // Appends what has arrived to `to`; false once the helper's end is closed.
        bool Drain(TFrameBuffer& to);
        HANDLE ArrivalEvent() const { return arrived_; }
        void Close();

    private:
        HANDLE pipe_ = nullptr;
        HANDLE arrived_ = nullptr;
        OVERLAPPED read_{};
        bool pending_ = false;
        std::string buffer_;
    };
    struct Helper {
        ~Helper();
        HANDLE process = nullptr;
        DWORD processId = 0;
        HANDLE toHelper = nullptr;  // its standard input
        AnswerPipe answers;         // its standard output
        TFrameBuffer partialAnswers;
        std::deque<Pending> sent;   // written to it, not yet answered, oldest first
        ProgressRecord progress;
        bool ready = false;         // it has said so: what it reads now, it draws
        uint32_t requestsWritten = 0;
        DWORD startedAt = 0;
        DWORD oldestSince = 0;      // when it started on the oldest drawing it has
    };

    void Queue(const TFontDrawing& drawing);
    void StartHelpersFor(size_t drawings);
    bool StartHelper();  // one more, unless starts are paused or not allowed
    void PauseStarts();
    bool StartsPaused() const;
    void EndHelpers();
    void EndHelper(Helper& helper);
    void SendWaiting();
    void Poll();
    void KeepHelpersBusy();  // Poll, at most every few milliseconds, while drawings wait
    bool ReadAnswers(Helper& helper);  // false when the helper is gone or talks nonsense
    bool TimedOut(Helper& helper, DWORD now);
    // Where in `sent` the drawing the helper is on is: the one its record names, or without a
    // record the oldest one unanswered. Nothing when the record names none it was sent (it was
    // between drawings).
    static std::optional<size_t> DrawingOf(const Helper& helper);
    void HandleLostHelper(Helper& helper, bool hung);
    void Settle(const TFontDrawing& drawing, TFontVerdict verdict);
    void Requeue(std::deque<Pending> pending);
    void MoveToFront(const TFontDrawing& drawing);
    size_t SentCount() const;

    std::function<void()> pump_;
    std::string commandLine_;
    HANDLE job_ = nullptr;
    int maxHelpers_;
    std::vector<std::unique_ptr<Helper>> helpers_;
    bool startsAllowed_ = true;
    int failedStarts_ = 0;  // helpers in a row that died before they were ready
    DWORD pausedAt_ = 0;
    DWORD pauseMs_ = 0;     // the last pause of starts; 0 once a helper was ready since
    uint32_t nextId_ = 1;
    std::deque<Pending> waiting_;    // not yet written to a helper
    std::unordered_set<TFontDrawing, TFontDrawingHash> queued_;  // the drawings waiting or sent
    bool waitingForAnswer_ = false;  // Vet waits: helpers get work whatever is drawn ahead
    DWORD lastActivity_ = 0;
    DWORD lastPoll_ = 0;
    std::unordered_map<TFontDrawing, TFontVerdict, TFontDrawingHash> verdicts_;
    // Drawn, not yet taken: the pixels stay in the runs they came in, a fifth of their size,
    // until taken.
    struct HeldPicture {
        TFontPicture picture;  // without its pixels
        std::string runs;
        uint32_t pixelBytes = 0;
    };
    std::unordered_map<TFontDrawing, HeldPicture, TFontDrawingHash> pictures_;
};
