#include "temp_database.h"

TempDatabase::TempDatabase() {
    if (!m_dir.isValid()) {
        m_error = m_dir.errorString();
        return;
    }
    StartupResult started = PrepareDatabase(m_dir.path());
    if (started.outcome != StartupOutcome::Ready) {
        m_error = started.error.isEmpty() ? QStringLiteral("the database was not ready") : started.error;
        return;
    }
    m_database = std::move(started.database);
}
