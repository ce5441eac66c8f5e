#pragma once
// Everything that makes one simulated camera what it is: which model and firmware, where it
// listens, how it streams, whom it lets in and which faults it plays. Fixed once the camera
// starts; the same configuration and seed give the same bytes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace camsim {

enum class AuthMode { None, Basic, Digest };

// How the boundary parameter is written in the Content-Type of a stream. The marker in the body
// is always "--" and the boundary (RFC 2046); LeadingDashes puts "--" into the parameter too, as
// some cameras do, so that parameter and marker read the same.
enum class BoundaryForm { Plain, LeadingDashes, Quoted, BlanksAroundEquals };

enum class LineEnd { CrLf, Lf };

enum class PartKind { Jpeg, Text, Html, Audio };

// Places inside each part where the response is cut into separate writes.
enum class SplitPoint { InsideMarker, InsideHeaderLine, BetweenCrLf };

enum class BannerMode {
    Normal,       // the model's greeting (or bannerText) at once
    Slow,         // the greeting after bannerDelayMs
    None,         // accepts, never greets
    UnknownWords, // greets with words no identification pattern knows
    Closed,       // nothing listens on the banner port
};

// Live renders and encodes each frame when it is sent; PreEncoded serves a loop of frames
// encoded once per (input, size, viewport). Auto: PreEncoded when unthrottled (fps 0).
enum class FrameMode { Auto, Live, PreEncoded };

struct StreamFormat {
    std::string boundary = "myboundary";
    BoundaryForm boundaryForm = BoundaryForm::Plain;
    std::vector<std::string> contentTypeParams; // extra "name=value" before the boundary
    bool partContentLength = true;
    LineEnd lineEnd = LineEnd::CrLf;
    std::vector<std::string> extraPartHeaders;       // "Name: value", after the standard ones
    std::vector<std::string> extraResponseHeaders;   // "Name: value"
    std::vector<PartKind> partCycle{PartKind::Jpeg}; // parts repeat in this order
};

// Faults apply to stream and image answers; forceStatus applies to every HTTP request and
// stallAfterBytes to every answer but a stream. Part counts include the part's trailing marker
// line, so a client sees exactly N complete parts.
struct Faults {
    int stopAfterParts = -1;  // then send nothing, keep the connection open
    int closeAfterParts = -1; // then close the connection (FIN)
    int resetAfterParts = -1; // then reset the connection (RST); 0: reset instead of answering
    std::vector<std::size_t> splitOffsets; // byte offsets from the start of the response
    std::vector<SplitPoint> splitPoints;   // cuts inside every part
    int splitPauseMs = 20;                 // pause between the pieces of a cut
    bool trickyJpegData = false;     // zero bytes and CR LF "--" + boundary prefix inside each JPEG
    std::size_t hugeHeaderBytes = 0; // adds an "X-Padding" header line this long to the response
                                     // header block and to every part header
    int forceStatus = 0;             // answer every request with this status (401, 404, 503 ...)
    int slowHeaderDelayMs = 0;       // pause before each line of the response header block
    // Every answer but a stream stops after this many bytes and the connection stays open,
    // as a camera that hangs (0: reads the request and never answers).
    int stallAfterBytes = -1;
    // Every answer but a stream stops after this many bytes and the connection is closed (FIN)
    // or reset (RST), as a camera that dies in the middle of a reply.
    int closeAfterBytes = -1;
    int resetAfterBytes = -1;
    // Every answer but a stream carries this many bytes of 'x' after its own body, counted in
    // its Content-Length: a reply too large to take whole.
    std::size_t extraBodyBytes = 0;
};

// The parameter list's lines beyond the model's own values, for cameras that report other
// things or leave some out.
struct ParamListConfig {
    // Replaces the value of a listed name, or adds the name at the end.
    std::vector<std::pair<std::string, std::string>> values;
    std::vector<std::string> omitted; // names left out of every answer
};

// The camera's audio daemon: what its "root.Audiod." parameters report and how its sound
// stream and upload behave. Modes and flags are those of the parameter table.
enum class AudioDuplex {
    Full,
    Half,
    ListenOnly,
    TalkOnly,
    DisabledFull,
    DisabledHalf,
    DisabledGet,
    DisabledPost
};
enum class AudioEncoding { G721, G723 }; // 32 kbit/s or 24 kbit/s ADPCM
enum class AudioMessageType { Multipart, Singlepart };
enum class AudioButtonMode { Toggle, Instant };
enum class UploadDrop { Reset, Close }; // how a dropped upload ends: RST or FIN

struct AudioFaults {
    int streamStatus = 0; // answer the sound stream with this status (503 ...) instead
    int uploadStatus = 0; // answer the upload with this status instead
    // The sound stream stops sending after this many parts and keeps the connection open, or
    // closes it (FIN).
    int stallStreamAfterParts = -1;
    int closeStreamAfterParts = -1;
    // The upload connection ends mid-POST after this many body bytes, as a camera whose
    // audio daemon dies.
    long long dropUploadAfterBytes = -1;
    UploadDrop dropUploadMode = UploadDrop::Reset;
    // The talker slot stays taken this long after the client closed its upload, as a camera
    // that notices a closed POST late (a fresh POST meanwhile is refused 503).
    int holdTalkerAfterCloseMs = 0;
};

struct AudioConfig {
    std::optional<bool> enabled; // default: whether the model has audio
    AudioDuplex duplex = AudioDuplex::Full;
    AudioEncoding encoding = AudioEncoding::G721;
    AudioMessageType messageType = AudioMessageType::Multipart; // what the parameters advertise
    AudioButtonMode buttonMode = AudioButtonMode::Toggle;
    bool speakerMuted = false;
    bool forceSpeaker = false;
    bool microphoneMuted = false;
    bool forceMicrophone = false;
    int bufferLevel = 3; // index into the control's connection-speed list
    bool forceBufferLevel = false;
    int maxListeners = 4; // "maxNumberOfClients": sound streams at once
    int maxTalkers = 1;   // uploads at once
    // The sound the camera's microphone hears: a sine tone.
    double toneHz = 1000.0;
    int toneAmplitude = 8000;
    int partSamples = 480; // per stream part (60 ms); a multiple of 8 keeps G.723 parts whole
    AudioFaults faults;
};

struct CamSimConfig {
    std::string address = "127.0.0.2";
    std::uint16_t httpPort = 80;
    std::uint16_t bannerPort = 21;
    bool https = false; // also serve HTTPS with a self-signed certificate
    std::uint16_t httpsPort = 443;

    std::string model = "OS34";   // a name of simModels()
    std::string firmware;         // empty: the model's default firmware
    std::optional<bool> paramCgi; // parameter list served; default: /orvel-cgi/ generations
    ParamListConfig paramList;

    int fps = 10; // 1..60; 0: as fast as the client reads
    FrameMode frameMode = FrameMode::Auto;
    int loopFrames = 25; // length of the pre-encoded loop
    int jpegQuality = 80;
    std::uint32_t seed = 1;
    // Clock shown in the picture starts here (ms since the epoch, UTC) and advances by the frame
    // interval; unset: the wall clock, which makes the output vary from run to run.
    std::optional<std::int64_t> clockStartMs;

    AuthMode auth = AuthMode::None;
    std::string user;
    std::string password;
    std::string realm; // empty: the model name

    BannerMode bannerMode = BannerMode::Normal;
    std::string bannerText; // replaces the model's greeting line when set
    int bannerDelayMs = 3000;
    // When set, the greeting goes out in two writes cut this many bytes in, faults.splitPauseMs
    // apart, as a camera whose greeting arrives in two TCP segments.
    std::size_t bannerSplitAt = 0;

    StreamFormat stream;
    Faults faults;
    AudioConfig audio;
};

} // namespace camsim
