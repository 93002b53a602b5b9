#pragma once
#include <windows.h>

#include <compare>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>

// A damaged font file can pass every structural check, register and measure fine, and still
// fault inside the system's text drawing. Inside a window procedure that fault is swallowed with
// the system's font lock held, and every later font call of the process waits for ever. No check
// of ours can rule it out, so before the program registers a file or draws with it, a helper
// process (this executable started with kFontVettingSwitch) registers it privately, draws exactly
// what the program is about to draw, unregisters it and answers. A helper that crashes, does not
// answer in time or cannot register the file condemns it.

inline constexpr char kFontVettingSwitch[] = "--vet-fonts";

// One drawing the program is about to make with a font file.
struct TFontDrawing {
    std::string path;  // the font file
    std::string face;  // the face to draw; empty: the face the file's registration adds
    std::string text;  // empty: the face name
    int size = 30;     // points
    // Non-zero: the helper draws at (0, 0) on a white picture of this size and sends it back,
    // with the face it drew, so that the program need not register the file at all.
    int pictureWidth = 0, pictureHeight = 0;

    auto operator<=>(const TFontDrawing&) const = default;
};

// What the helper drew for a drawing that asked for a picture.
struct TFontPicture {
    std::string face;
    int width = 0, height = 0;
    std::string pixels;  // as TBitmap::Pixels gives them
};

enum class TFontVerdict : uint8_t {
    Safe,
    Unsafe,    // the helper crashed, hung or could not register the file
    NoHelper,  // no helper could be started: the caller decides in its own process
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

// The program's side: one helper process, started on first use and ended by StopHelper or with
// the object (or with this process: the helper belongs to a job that dies with it, and leaves
// when its input pipe closes). Requests are answered in order; the helper works ahead on
// prefetched drawings while the program does its own work, so on two cores a scan costs about
// one registration and one drawing per file. Verdicts are kept until the helper stops.
class TFontVetter {
public:
    // How long the helper may take over one drawing before it counts as hung.
    static constexpr DWORD kAnswerTimeoutMs = 3000;

    // `pump` runs while waiting for the helper, so the program's windows keep answering.
    explicit TFontVetter(std::function<void()> pump = nullptr, std::string helperCommandLine = "");
    ~TFontVetter();
    TFontVetter(const TFontVetter&) = delete;
    TFontVetter& operator=(const TFontVetter&) = delete;

    // Lets the helper work on `drawing` before the program asks for it.
    void Prefetch(const TFontDrawing& drawing);
    // Whether making `drawing` is safe; waits for the helper, pumping, as long as needed.
    TFontVerdict Vet(const TFontDrawing& drawing);
    // The picture the helper drew for a safe `drawing` that asked for one; handed out once.
    std::optional<TFontPicture> TakePicture(const TFontDrawing& drawing);

    // Starts the helper ahead of the first question, so that its start overlaps the caller's work.
    void StartHelper();

    // Ends the helper and forgets the verdicts (the files may change before the next use);
    // drawings still asked for go to a fresh helper on the next question.
    void StopHelper();
    // StopHelper, once nothing was asked or answered for `idleMs`.
    void StopHelperIfIdle(DWORD idleMs);

    DWORD HelperProcessId() const { return helper_.process ? helper_.processId : 0; }
    // This executable with the helper switch.
    static std::string OwnHelperCommandLine();

private:
    struct Helper {
        HANDLE process = nullptr;
        DWORD processId = 0;
        HANDLE toHelper = nullptr;    // its standard input
        bool ready = false;           // it has said so: what it reads now, it draws
        DWORD startedAt = 0;
    };
    // The program's end of the helper's standard output, read asynchronously, so that a wait
    // for an answer ends the moment bytes arrive.
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
        int opened_ = 0;  // makes each pipe's name new
        std::string buffer_;
    };
    struct Pending {
        uint32_t id;
        TFontDrawing drawing;
        int crashes = 0;  // helpers that died while this drawing was the oldest one sent
    };

    bool EnsureHelper();
    void EndHelper(bool kill);
    void SendWaiting();
    void Poll();
    bool ReadAnswers();  // false when the helper is gone or talks nonsense
    void HandleLostHelper(bool hung);
    void Settle(const TFontDrawing& drawing, TFontVerdict verdict);
    void RequeueSent();

    std::function<void()> pump_;
    std::string commandLine_;
    HANDLE job_ = nullptr;
    Helper helper_;
    AnswerPipe answers_;
    bool unavailable_ = false;
    int failedStarts_ = 0;  // helpers in a row that died before they were ready
    uint32_t nextId_ = 1;
    std::deque<Pending> sent_;     // written to the helper, oldest first
    std::deque<Pending> waiting_;  // not yet written
    std::set<TFontDrawing> queued_;  // the drawings of both
    TFrameBuffer partialAnswers_;
    DWORD oldestSince_ = 0;        // when the helper started on the oldest sent drawing
    DWORD lastActivity_ = 0;
    std::map<TFontDrawing, TFontVerdict> verdicts_;
    std::map<TFontDrawing, TFontPicture> pictures_;  // drawn, not yet taken
};
