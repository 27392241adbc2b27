#pragma once

#include <QStandardPaths>
#include <QString>

#include <cstdint>

// What Annalux and Figurant share to keep a chronology of people at the year
// a chronology of events shows. Both programs, and anything that stands in
// for Figurant, depend on every name and number here; none of them changes.
//
// The two message channels travel over the session bus. A message is the
// D-Bus member "Message" of interface kBusInterface at object kBusPath, with
// the arguments (s channel, x wParam, x lParam): channel is one of the two
// channel names below, literally. A message to every program is a signal; a
// message to one window is a method call to the unique bus name of the
// program that owns it. A window handle is that unique bus name: wherever a
// message carries the sender's own window, the receiver takes it from the
// message's sender (which the bus daemon vouches for) and the number slot
// holds 0.
//
// The shared block and the wait event are files of the user's session
// (XDG_RUNTIME_DIR) named after their object names, so that two sessions
// never see each other's.
namespace SiblingProtocol {

// The shared block: one zero-terminated Shift-JIS path at offset 0.
inline constexpr const char* kSharedMemoryName = "Veltrin message share mem name";
inline constexpr int kSharedMemorySize = 1000;
// Manual reset, not signalled when created.
inline constexpr const char* kEventName = "Event Wait Figurant";

inline constexpr const char* kToFigurant = "Veltrin annalux-figurant";
inline constexpr const char* kFromFigurant = "Veltrin figurant-annalux";

inline constexpr const char* kBusPath = "/com/veltrin/WindowMessage";
inline constexpr const char* kBusInterface = "com.veltrin.WindowMessage";
inline constexpr const char* kBusMember = "Message";

// Annalux to Figurant: wParam is the code.
enum EToFigurant : int64_t
{
    MSG_WHO_HAS_PROJECT = 1, // broadcast; lParam: the asking window
    MSG_SHOW_YEAR = 2,       // lParam: the year
    MSG_HAVE_CHRONOLOGY = 3, // lParam: this window
};
// Figurant to Annalux: lParam is the code.
enum EFromFigurant : int64_t
{
    MSG_HAVE_PROJECT_0 = 0,          // the same answer without its code
    MSG_HAVE_PROJECT = 0x1001,       // wParam: the Figurant window
    MSG_WHO_HAS_CHRONOLOGY = 0x1002, // broadcast; wParam: the asking window
    MSG_GO_TO_YEAR = 0x1003,         // wParam: the year
};

// The year sent when the view shows none.
inline constexpr int32_t kNoYear = 2147483647;

// Waits, in milliseconds.
inline constexpr int kAnswerWait = 1000;
inline constexpr int kStartWait = 100000;

// The file behind a named object of the user's session.
inline QString NativeObjectPath(const char* name)
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QLatin1Char('/') +
           QString::fromLatin1(name);
}

} // namespace SiblingProtocol
