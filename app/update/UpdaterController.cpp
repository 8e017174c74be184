#include "app/update/UpdaterController.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include "app/control/MessageText.h"
#include "app/update/BuildInfo.h"
#include "app/update/UpdateFeedError.h"
#include "base/text/Localized.h"

namespace brevanor {

namespace {

constexpr std::chrono::hours kDueCheckPeriod{1};

// https anywhere, plain http only to this machine, whose traffic nobody on the
// network can read or change. Never a user name in front of the host.
bool isFeedAddress(const QUrl& url) {
    if (!url.isValid() || url.host().isEmpty() || !url.userInfo().isEmpty()) return false;
    if (url.scheme() == QLatin1String("https")) return true;
    return url.scheme() == QLatin1String("http") &&
           (url.host() == QLatin1String("localhost") || QHostAddress(url.host()).isLoopback());
}

std::optional<std::string> nonEmpty(std::string text) {
    if (text.empty()) return std::nullopt;
    return text;
}

std::int64_t secondsSinceEpoch(std::chrono::system_clock::time_point time) {
    return std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
}

}  // namespace

UpdaterController::Configuration UpdaterController::Configuration::ofThisBuild() {
    const BuildInfo build = BuildInfo::ofThisBuild();
    Configuration configuration;
    configuration.feedAddress = build.updateFeedAddress;
    configuration.runningVersion = build.version;
    return configuration;
}

UpdaterController::UpdaterController(std::shared_ptr<PreferencesStore> preferences, Configuration configuration,
                                     QObject* parent)
    : QObject(parent),
      preferences_(std::move(preferences)),
      configuration_(std::move(configuration)),
      feedURL_(nonEmpty(configuration_.feedAddress)),
      feedAddress_(QUrl(QString::fromStdString(configuration_.feedAddress), QUrl::StrictMode)),
      isConfigured_(!configuration_.feedAddress.starts_with("REPLACE") && isFeedAddress(feedAddress_)),
      runningVersion_(ReleaseVersion::parse(configuration_.runningVersion).value_or(ReleaseVersion{})) {
    if (!isConfigured_) return;
    canCheckForUpdates_ = true;
    automaticallyChecksForUpdates_ = preferences_->getBoolean(automaticChecksKey).value_or(true);
    // The application runs for weeks: look again every hour whether a day has passed.
    hourly_ = new QTimer(this);
    hourly_->setInterval(std::chrono::duration_cast<std::chrono::milliseconds>(kDueCheckPeriod));
    connect(hourly_, &QTimer::timeout, this, &UpdaterController::checkIfDue);
    hourly_->start();
    checkIfDue();
}

UpdaterController::~UpdaterController() = default;

void UpdaterController::setAutomaticallyChecksForUpdates(bool on) {
    if (!isConfigured_ || on == automaticallyChecksForUpdates_) return;
    automaticallyChecksForUpdates_ = on;
    preferences_->setBoolean(automaticChecksKey, on);
    emit automaticallyChecksForUpdatesChanged();
    checkIfDue();
}

void UpdaterController::checkForUpdates() { startCheck(true); }

void UpdaterController::checkIfDue() {
    if (!automaticallyChecksForUpdates_ || !canCheckForUpdates_) return;
    const auto now = configuration_.now ? configuration_.now() : std::chrono::system_clock::now();
    if (const auto last = preferences_->getInteger(lastCheckKey)) {
        const std::int64_t since = secondsSinceEpoch(now) - *last;
        if (since >= 0 && since < std::chrono::seconds(automaticCheckInterval).count()) return;
    }
    startCheck(false);
}

void UpdaterController::startCheck(bool userInitiated) {
    if (!canCheckForUpdates_) return;
    const auto now = configuration_.now ? configuration_.now() : std::chrono::system_clock::now();
    preferences_->setInteger(lastCheckKey, secondsSinceEpoch(now));
    setCanCheckForUpdates(false);
    setStatus(brevanor::tr("Checking for updates…"));
    abortReason_.reset();

    if (!network_) network_ = new QNetworkAccessManager(this);
    QNetworkRequest request(feedAddress_);
    request.setTransferTimeout(static_cast<int>(configuration_.transferTimeout.count()));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Brevanor/%1").arg(QString::fromStdString(configuration_.runningVersion)));
    QNetworkReply* reply = network_->get(request);
    watch(*reply);
    connect(reply, &QNetworkReply::finished, this, [this, reply, userInitiated] {
        reply->deleteLater();
        finish(*reply, userInitiated);
    });
}

// Ends the fetch early when the server sends the check elsewhere than the
// rule allows or sends more than a feed can be.
void UpdaterController::watch(QNetworkReply& reply) {
    connect(&reply, &QNetworkReply::redirected, this, [this, &reply](const QUrl& target) {
        if (isFeedAddress(target)) {
            emit reply.redirectAllowed();
            return;
        }
        abortReason_ = brevanor::tr("The update server sent the check to an address that is not https.");
        reply.abort();
    });
    connect(&reply, &QNetworkReply::downloadProgress, this, [this, &reply](qint64 received, qint64 total) {
        const auto most = static_cast<qint64>(UpdateFeed::mostBytes);
        if (received <= most && total <= most) return;
        abortReason_ = brevanor::tr("The update feed is larger than 64 KB.");
        reply.abort();
    });
}

void UpdaterController::finish(QNetworkReply& reply, bool userInitiated) {
    UpdateCheckResult result = resultOf(reply);
    result.userInitiated = userInitiated;
    const std::string running = runningVersion_.toString();
    switch (result.outcome) {
        case UpdateCheckResult::Outcome::newerRelease:
            setStatus(fillIn(brevanor::tr("Brevanor %1 is available."), {result.feed->version.toString()}));
            break;
        case UpdateCheckResult::Outcome::upToDate:
            setStatus(fillIn(brevanor::tr("Brevanor %1 is the newest version."), {running}));
            break;
        case UpdateCheckResult::Outcome::failed:
            setStatus(brevanor::tr("The last check for updates failed: ") + result.failure);
            break;
    }
    setCanCheckForUpdates(true);
    emit checkFinished(result);
}

UpdateCheckResult UpdaterController::resultOf(QNetworkReply& reply) const {
    UpdateCheckResult result;
    if (abortReason_) {
        result.failure = *abortReason_;
        return result;
    }
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && status.toInt() != 200) {
        result.failure =
            fillIn(brevanor::tr("The update server answered with status %1."), {std::to_string(status.toInt())});
        return result;
    }
    if (reply.error() == QNetworkReply::OperationCanceledError || reply.error() == QNetworkReply::TimeoutError) {
        // Only the transfer timeout cancels a fetch that this object did not end.
        result.failure = brevanor::tr("The update server did not answer in time.");
        return result;
    }
    if (reply.error() != QNetworkReply::NoError) {
        result.failure =
            brevanor::tr("Brevanor could not reach the update server: ") + reply.errorString().toStdString();
        return result;
    }
    const QByteArray body = reply.read(static_cast<qint64>(UpdateFeed::mostBytes) + 1);
    try {
        result.feed = UpdateFeed::parse(std::string_view(body.constData(), static_cast<std::size_t>(body.size())));
    } catch (const UpdateFeedError& error) {
        result.failure = error.what();
        return result;
    }
    result.outcome = result.feed->version > runningVersion_ ? UpdateCheckResult::Outcome::newerRelease
                                                            : UpdateCheckResult::Outcome::upToDate;
    return result;
}

void UpdaterController::setCanCheckForUpdates(bool can) {
    if (can == canCheckForUpdates_) return;
    canCheckForUpdates_ = can;
    emit canCheckForUpdatesChanged();
}

void UpdaterController::setStatus(std::optional<std::string> status) {
    if (status == status_) return;
    status_ = std::move(status);
    emit statusChanged();
}

}  // namespace brevanor
