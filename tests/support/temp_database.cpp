#include "temp_database.h"

using namespace vorlane;

TempDatabase::TempDatabase() {
    if (!m_dir.isValid()) {
        m_error = m_dir.errorString();
        return;
    }
    store::StartupResult started = store::prepareDatabase(m_dir.path());
    if (started.outcome != store::StartupOutcome::Ready) {
        m_error = started.error.isEmpty() ? QStringLiteral("the database was not ready") : started.error;
        return;
    }
    m_database = std::move(started.database);
}
