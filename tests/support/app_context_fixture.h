#pragma once
// What a window of the program needs in a test: a fresh database opened by the real start-up step,
// scripted message boxes, a recording opener, the run's AppContext built on them, an owner window for the
// dialogs and, on demand, a local web site. Dialog tests make one per test function and drop it after.

#include "store/campaign_store.h"
#include "tests/support/http_fixture.h"
#include "tests/support/recording_opener.h"
#include "tests/support/scripted_messages.h"
#include "tests/support/temp_database.h"
#include "ui/app_context.h"

#include <QWidget>
#include <memory>

struct AppContextFixture {
    // Members are destroyed in reverse: the dialogs (children of the owner) before the context they use,
    // the engines' connections before the server they talk to.
    std::unique_ptr<HttpFixture> site;
    TempDatabase database;
    ScriptedMessages messages;
    RecordingOpener opener;
    AppContext context{database.database(), messages, opener};
    std::unique_ptr<QWidget> owner;

    AppContextFixture() {
        if (!database.isValid())
            qFatal("test database: %s", qPrintable(database.error()));
    }
    HttpFixture& startSite() {
        site = std::make_unique<HttpFixture>();
        return *site;
    }
    QWidget* ownerWindow() {
        if (!owner) {
            owner = std::make_unique<QWidget>();
            owner->resize(800, 600);
        }
        return owner.get();
    }
    QStringList campaignLabels() { return CampaignStore(database.connection()).campaignLabels().value(); }
};
