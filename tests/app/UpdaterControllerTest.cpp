#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <QWidget>

#include "app/ui/UpdateAlerts.h"
#include "app/update/UpdaterController.h"
#include "platform/fake/InMemoryPreferencesStore.h"
#include "tests/app/LocalHttpServer.h"

namespace brevanor::testing {
namespace {

using Outcome = UpdateCheckResult::Outcome;
using std::chrono::hours;

constexpr int kWaitMs = 20'000;

QByteArray feed(const char* version, const char* notes = "Faster playback.") {
    return QByteArray(R"({"version": ")") + version + R"(", "releaseNotes": ")" + notes +
           R"(", "downloadPage": "https://brevanor.example/download"})";
}

// Takes the URLs the alerts would open in the browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public slots:
    void open(const QUrl& url) { opened.append(url); }

public:
    QList<QUrl> opened;
};

// An updater of release 1.4.0 against a local server, on a clock the test sets.
class UpdaterControllerTest : public ::testing::Test {
protected:
    std::unique_ptr<UpdaterController> make(const QString& address, std::chrono::milliseconds timeout = hours(1)) {
        UpdaterController::Configuration configuration;
        configuration.feedAddress = address.toStdString();
        configuration.runningVersion = "1.4.0";
        configuration.transferTimeout = timeout;
        configuration.now = [this] { return now; };
        auto updater = std::make_unique<UpdaterController>(preferences, configuration);
        QObject::connect(updater.get(), &UpdaterController::checkFinished,
                         [this](const UpdateCheckResult& result) { results.push_back(result); });
        return updater;
    }
    // Configured, with automatic checks off unless the test turns them on.
    std::unique_ptr<UpdaterController> makeManual(std::chrono::milliseconds timeout = hours(1)) {
        preferences->setBoolean(UpdaterController::automaticChecksKey, false);
        return make(server.address(), timeout);
    }

    // Runs the event loop until `count` checks have ended.
    bool waitForResults(std::size_t count) {
        return QTest::qWaitFor([&] { return results.size() >= count; }, kWaitMs);
    }
    UpdateCheckResult check(UpdaterController& updater) {
        const std::size_t before = results.size();
        updater.checkForUpdates();
        EXPECT_TRUE(waitForResults(before + 1));
        return results.back();
    }

    std::shared_ptr<InMemoryPreferencesStore> preferences = std::make_shared<InMemoryPreferencesStore>();
    LocalHttpServer server;
    std::chrono::system_clock::time_point now = std::chrono::system_clock::time_point(hours(480'000));
    std::vector<UpdateCheckResult> results;
};

TEST_F(UpdaterControllerTest, AnUnconfiguredBuildOffersNothingAndNeverGoesOnline) {
    for (const QString& address : {QString(), QStringLiteral("REPLACE_WITH_FEED"), QStringLiteral("ftp://a.example/f"),
                                   QStringLiteral("http://brevanor.example/feed.json"),
                                   QStringLiteral("https://user@brevanor.example/feed.json")}) {
        const auto updater = make(address);
        EXPECT_FALSE(updater->isConfigured()) << address.toStdString();
        EXPECT_FALSE(updater->canCheckForUpdates());
        EXPECT_FALSE(updater->automaticallyChecksForUpdates());
        updater->setAutomaticallyChecksForUpdates(true);
        EXPECT_FALSE(updater->automaticallyChecksForUpdates());
        updater->checkForUpdates();
        updater->checkIfDue();
        EXPECT_FALSE(updater->status());
    }
    EXPECT_TRUE(results.empty());
    EXPECT_FALSE(preferences->getInteger(UpdaterController::lastCheckKey));
    EXPECT_FALSE(preferences->getBoolean(UpdaterController::automaticChecksKey));
    // A configured updater's request, made after them, reaches the server alone.
    server.answer(200, feed("1.4"));
    check(*makeManual());
    EXPECT_EQ(server.requests.size(), 1);
}

TEST_F(UpdaterControllerTest, ComparesTheFeedsReleaseWithTheRunningOne) {
    const auto updater = makeManual();
    const struct {
        const char* version;
        Outcome outcome;
        const char* status;
    } cases[] = {{"1.10", Outcome::newerRelease, "Brevanor 1.10 is available."},
                 {"1.4", Outcome::upToDate, "Brevanor 1.4.0 is the newest version."},
                 {"1.3.9", Outcome::upToDate, "Brevanor 1.4.0 is the newest version."}};
    for (const auto& c : cases) {
        server.answer(200, feed(c.version));
        const UpdateCheckResult result = check(*updater);
        EXPECT_EQ(result.outcome, c.outcome) << c.version;
        EXPECT_TRUE(result.userInitiated);
        EXPECT_EQ(updater->status(), c.status);
    }
    ASSERT_EQ(server.requests.size(), 3);
    EXPECT_TRUE(server.requests[0].startsWith("GET /feed.json HTTP/1.1"));
    EXPECT_TRUE(server.requests[0].contains("Brevanor/1.4.0")) << "the user agent names the release";
}

TEST_F(UpdaterControllerTest, EveryFailureEndsTheCheckWithASentence) {
    const auto updater = makeManual();
    const auto failure = [&] {
        const UpdateCheckResult result = check(*updater);
        EXPECT_EQ(result.outcome, Outcome::failed);
        EXPECT_FALSE(result.feed);
        EXPECT_EQ(updater->status(), "The last check for updates failed: " + result.failure);
        return result.failure;
    };
    server.answer(200, "<html>Moved</html>");
    EXPECT_EQ(failure(), "The update feed is not a JSON document.");
    server.answer(404, "{}");
    EXPECT_EQ(failure(), "The update server answered with status 404.");
    server.answer(200, QByteArray(UpdateFeed::mostBytes + 1, ' '));
    EXPECT_EQ(failure(), "The update feed is larger than 64 KB.");
    server.answer(302, {}, "Location: http://brevanor.example/feed.json\r\n");
    EXPECT_EQ(failure(), "The update server sent the check to an address that is not https.");
    server.close();
    EXPECT_EQ(failure(), "Brevanor could not reach the update server: Connection refused");
}

TEST_F(UpdaterControllerTest, ASlowServerNeitherBlocksNorRunsTwoChecks) {
    const auto updater = makeManual(std::chrono::milliseconds(300));
    server.holdAnswers();
    updater->checkForUpdates();
    EXPECT_FALSE(updater->canCheckForUpdates()) << "the call returns while the check runs";
    EXPECT_EQ(updater->status(), "Checking for updates…");
    updater->checkForUpdates();
    updater->checkIfDue();
    ASSERT_TRUE(waitForResults(1));
    EXPECT_EQ(results[0].failure, "The update server did not answer in time.");
    EXPECT_EQ(server.requests.size(), 1) << "no second check while one runs";
    EXPECT_TRUE(updater->canCheckForUpdates());
}

TEST_F(UpdaterControllerTest, ChecksByItselfAtMostOnceADayWhileAutomaticChecksAreOn) {
    server.answer(200, feed("1.4.0"));
    auto updater = make(server.address());
    EXPECT_TRUE(updater->automaticallyChecksForUpdates()) << "on unless the user turned them off";
    ASSERT_TRUE(waitForResults(1)) << "a first launch checks at once";
    EXPECT_FALSE(results[0].userInitiated);
    EXPECT_EQ(preferences->getInteger(UpdaterController::lastCheckKey),
              std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count());

    now += hours(23);
    updater->checkIfDue();
    updater = make(server.address());  // a relaunch
    updater->checkIfDue();
    EXPECT_TRUE(updater->canCheckForUpdates()) << "nothing is due within a day";

    now += hours(2);
    updater->setAutomaticallyChecksForUpdates(false);
    EXPECT_EQ(preferences->getBoolean(UpdaterController::automaticChecksKey), false);
    updater->checkIfDue();
    EXPECT_TRUE(updater->canCheckForUpdates()) << "nothing while turned off";
    updater->setAutomaticallyChecksForUpdates(true);  // a day has passed: it checks now
    ASSERT_TRUE(waitForResults(2));

    now -= hours(24 * 30);  // the clock was set back
    updater->checkIfDue();
    ASSERT_TRUE(waitForResults(3));
    EXPECT_EQ(server.requests.size(), 3);
}

TEST_F(UpdaterControllerTest, AlertsTellOfANewerReleaseAndOfFailuresTheUserAskedAbout) {
    UrlCatcher browser;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "open");
    QWidget window;
    const auto updater = makeManual();
    const UpdateAlerts alerts(*updater, window);

    server.answer(200, feed("1.5", "<b>Bold</b> claims"));
    updater->setAutomaticallyChecksForUpdates(true);
    ASSERT_TRUE(waitForResults(1));
    QMessageBox* alert = alerts.openAlert();
    ASSERT_TRUE(alert);
    EXPECT_TRUE(alert->isVisible());
    EXPECT_FALSE(alert->isModal()) << "the interface never waits for the user";
    EXPECT_EQ(alert->text().toStdString(), "Brevanor 1.5 is available");
    EXPECT_EQ(alert->informativeText().toStdString(),
              "You have 1.4.0. Install the new release with your package manager or from its download page.\n\n"
              "<b>Bold</b> claims");
    EXPECT_EQ(alert->textFormat(), Qt::PlainText) << "feed text is never markup";
    ASSERT_TRUE(alert->defaultButton());
    EXPECT_EQ(alert->defaultButton()->text().toStdString(), "Open Download Page");
    alert->defaultButton()->click();
    ASSERT_EQ(browser.opened.size(), 1);
    EXPECT_EQ(browser.opened[0], QUrl("https://brevanor.example/download"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !alerts.openAlert(); })) << "the alert closes";

    server.answer(500, {});
    now += hours(25);
    updater->checkIfDue();
    ASSERT_TRUE(waitForResults(2));
    EXPECT_FALSE(alerts.openAlert()) << "a failed automatic check is told in the About tab only";

    updater->checkForUpdates();
    ASSERT_TRUE(waitForResults(3));
    ASSERT_TRUE(alerts.openAlert());
    EXPECT_EQ(alerts.openAlert()->text().toStdString(), "Brevanor could not check for updates");
    EXPECT_EQ(alerts.openAlert()->informativeText().toStdString(), "The update server answered with status 500.");

    server.answer(200, feed("1.4.0"));
    updater->checkForUpdates();
    ASSERT_TRUE(waitForResults(4));
    ASSERT_TRUE(alerts.openAlert());
    EXPECT_EQ(alerts.openAlert()->text().toStdString(), "You're up to date") << "the new alert replaces the old";
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

}  // namespace
}  // namespace brevanor::testing

#include "UpdaterControllerTest.moc"
