#pragma once

#include <QObject>
#include <QUrl>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/update/ReleaseVersion.h"
#include "app/update/UpdateCheckResult.h"
#include "core/store/PreferencesStore.h"

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

namespace brevanor {

// Tells the user when a newer Brevanor is out. Linux systems install software
// through their package manager, so this never downloads or installs anything:
// it reads a small feed (see UpdateFeed) and, when it names a newer release,
// says so and offers the download page. A build is configured for this only
// when it carries a feed address; an unconfigured build never goes online.
// Checks run in the background (the interface never waits for one): when the
// user asks, and, while automatic checks are on, at most once a day. The feed
// is only read over https, or plain http on this machine. Main thread only.
class UpdaterController : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool canCheckForUpdates READ canCheckForUpdates NOTIFY canCheckForUpdatesChanged)
    Q_PROPERTY(bool automaticallyChecksForUpdates READ automaticallyChecksForUpdates WRITE
                   setAutomaticallyChecksForUpdates NOTIFY automaticallyChecksForUpdatesChanged)
    Q_PROPERTY(std::optional<std::string> status READ status NOTIFY statusChanged)

public:
    // Preferences: whether to check automatically (missing: yes), and when the
    // last check began, in whole seconds since 1970 on the wall clock.
    static constexpr std::string_view automaticChecksKey = "updates.automaticChecks";
    static constexpr std::string_view lastCheckKey = "updates.lastCheck";
    static constexpr std::chrono::hours automaticCheckInterval{24};

    struct Configuration {
        using WallClock = std::function<std::chrono::system_clock::time_point()>;

        // The feed's address; empty, a placeholder starting with "REPLACE" or an
        // address that is neither https nor http on this machine: not configured.
        std::string feedAddress;
        // The release that runs, compared with the feed's.
        std::string runningVersion;
        // A fetch that has not finished by then fails.
        std::chrono::milliseconds transferTimeout{30'000};
        // std::chrono::system_clock::now when empty.
        WallClock now;

        // This build's feed address and version, with the defaults above.
        static Configuration ofThisBuild();
    };

    // Starts an automatic check when one is due.
    UpdaterController(std::shared_ptr<PreferencesStore> preferences, Configuration configuration,
                      QObject* parent = nullptr);
    ~UpdaterController() override;

    bool isConfigured() const { return isConfigured_; }
    // The feed address the build carries, as given; absent when it carries none.
    const std::optional<std::string>& feedURL() const { return feedURL_; }
    // Configured and no check running.
    bool canCheckForUpdates() const { return canCheckForUpdates_; }
    // Always false when not configured.
    bool automaticallyChecksForUpdates() const { return automaticallyChecksForUpdates_; }
    // Stored in the preferences at once; ignored when not configured.
    void setAutomaticallyChecksForUpdates(bool on);
    // The release that runs, as the build names it.
    const std::string& runningVersion() const { return configuration_.runningVersion; }
    // One sentence on the running or last check of this run, for the About tab.
    const std::optional<std::string>& status() const { return status_; }

    // A check the user asked for; does nothing while one runs or when not configured.
    void checkForUpdates();
    // An automatic check, when they are on and the last check is a day old (or
    // in the future: the clock was set back). Runs at creation and every hour.
    void checkIfDue();

signals:
    void canCheckForUpdatesChanged();
    void automaticallyChecksForUpdatesChanged();
    void statusChanged();
    // After every check, with how it ended.
    void checkFinished(const brevanor::UpdateCheckResult& result);

private:
    void startCheck(bool userInitiated);
    void watch(QNetworkReply& reply);
    void finish(QNetworkReply& reply, bool userInitiated);
    UpdateCheckResult resultOf(QNetworkReply& reply) const;
    void setCanCheckForUpdates(bool can);
    void setStatus(std::optional<std::string> status);

    std::shared_ptr<PreferencesStore> preferences_;
    const Configuration configuration_;
    const std::optional<std::string> feedURL_;
    const QUrl feedAddress_;
    const bool isConfigured_;
    const ReleaseVersion runningVersion_;
    bool canCheckForUpdates_ = false;
    bool automaticallyChecksForUpdates_ = false;
    std::optional<std::string> status_;
    // Why this object ended the running fetch itself, when it did.
    std::optional<std::string> abortReason_;
    QNetworkAccessManager* network_ = nullptr;  // made for the first check
    QTimer* hourly_ = nullptr;
};

}  // namespace brevanor
