#pragma once
// What a window of the program needs in a test: a fresh database opened by the real start-up step,
// scripted message boxes, a recording opener and the run's AppContext built on them. Member order is
// construction order: the context goes before the database it uses.

#include "tests/support/recording_opener.h"
#include "tests/support/scripted_messages.h"
#include "tests/support/temp_database.h"
#include "ui/app_context.h"

struct AppContextFixture {
    TempDatabase database;
    ScriptedMessages messages;
    RecordingOpener opener;
    AppContext context{database.database(), messages, opener};
};
