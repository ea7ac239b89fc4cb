#pragma once
// What a window of the program needs in a test: a fresh database opened by the real start-up step,
// scripted message boxes, a recording opener, the run's Session on the database, an owner window for the
// dialogs and, on demand, a local web site. Dialog tests make one per test function and drop it after.

#include "app/session.h"
#include "tests/support/http_fixture.h"
#include "tests/support/recording_opener.h"
#include "tests/support/scripted_messages.h"
#include "tests/support/temp_database.h"

#include <QWidget>
#include <memory>

struct SessionFixture {
    // Members are destroyed in reverse: the dialogs (children of the owner) before the session they use,
    // the engines' connections before the server they talk to.
    std::unique_ptr<HttpFixture> site;
    TempDatabase database;
    ScriptedMessages messages;
    RecordingOpener opener;
    vorlane::app::Session session{database.database()};
    std::unique_ptr<QWidget> owner;

    SessionFixture() {
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
    QStringList campaignLabels() {
        QStringList labels;
        const auto campaigns = session.campaigns();
        for (const vorlane::store::CampaignRecord& campaign : campaigns.value())
            labels << campaign.label;
        return labels;
    }
};
