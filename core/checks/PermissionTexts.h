#pragma once

#include <string>

namespace brevanor {

// The two permissions named as this system knows them: the Mac's
// Accessibility and Input Monitoring, which the user grants in System
// Settings; on X11 the server's extensions, which only the X server grants
// (XTEST to play; XInput 2.2 or RECORD to record). One implementation per
// system, chosen when building.
namespace PermissionTexts {

// The headline over the two lights when one is missing.
std::string bannerTitle();
// The button beside a missing one: it asks for it where the user grants it, else checks again.
std::string requestButton();
// Whether the system has a settings page where the user grants them.
bool hasSettingsPage();
// What lets Brevanor play (post input), as a light or a row names it.
std::string playingName();
// What lets Brevanor record (listen to input).
std::string recordingName();
// Why nothing plays without the first.
std::string missingToPlay();
// Why nothing records, by what is missing (at least one of the two).
std::string missingToRecord(bool playingGranted, bool recordingGranted);
// Why the listener could not start although it may.
std::string listenerFailed();
// The banner's note on the listener needing a restart of the program.
std::string reopenNote();
// What to do when granting seems to change nothing; empty where nothing helps.
std::string staleGrantHint();

}  // namespace PermissionTexts

}  // namespace brevanor
