#pragma once
// What the engine tells or asks the user, through the face: the face decides how and when
// a box shows, so no engine code runs an event loop of its own.
#include <functional>
#include <string>

enum class EPrompt {
    AlreadyRunning,  // another copy runs: the program ends
    NetworkParams,   // the host's address could not be read at start-up
    StartFailed,     // the servers could not start; the log has the same text
    PortOpenFailed,  // the configured serial port could not be opened
    OtherServer,     // another boot server runs on the network: go on?
};

struct CPrompt {
    EPrompt eKind = EPrompt::StartFailed;
    std::string strText;
    unsigned nType = 0;  // MB_ buttons and icon
    // The failure the prompt before told, said again as its consequence: a face that shows
    // boxes shows one box for one failure.
    bool bFollowUp = false;
};

class IUserPrompts {
public:
    using FAnswer = std::function<void(bool bYes)>;
    virtual ~IUserPrompts() = default;
    // UI thread. Neither waits for the user: a face that shows a box shows it later, from
    // its own turn of the event loop, and the engine goes on meanwhile.
    virtual void Tell(const CPrompt& prompt) = 0;
    // fnAnswer runs on the UI thread at most once, at once or later.
    virtual void Ask(const CPrompt& prompt, FAnswer fnAnswer) = 0;
};
