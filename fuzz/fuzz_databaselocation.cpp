// DatabaseLocation::parse on any text: it either gives a location that reads
// back from its own display form, or throws DataAccessError, nothing else.

#include "fuzzinput.h"

#include "data/dataaccesserror.h"
#include "data/databaselocation.h"

using namespace Torva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = Fuzz::text(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    DatabaseLocation location;
    try {
        location = DatabaseLocation::parse(text, QStringLiteral("fuzz"));
    } catch (const DataAccessError &error) {
        Fuzz::check(error.number() == DataAccessError::ConfigurationError, "a bad location is a configuration error",
                    text);
        Fuzz::check(!error.description().isEmpty(), "a bad location is explained", text);
        return 0;
    }
    // Anything else thrown ends the run here, uncaught.

    const QString display = location.toDisplayString();
    // A password attribute is left out; with no braces in the text, every
    // ";" separates attributes, so none may give a password.
    if (location.engine() == DatabaseLocation::Engine::Odbc && !display.contains(QLatin1Char('{'))) {
        for (const QString &part : display.mid(5).split(QLatin1Char(';'))) {
            const QString keyword = part.section(QLatin1Char('='), 0, 0).trimmed().toUpper();
            const bool password = keyword == QLatin1String("PWD") || keyword == QLatin1String("PASSWORD");
            Fuzz::check(!part.contains(QLatin1Char('=')) || !password, "the display form leaves out the password",
                        text);
        }
    }

    DatabaseLocation again;
    try {
        again = DatabaseLocation::parse(display);
    } catch (const DataAccessError &error) {
        Fuzz::fail("the display form reads back", text + QStringLiteral(" -> ") + display + QStringLiteral(": ")
                                                      + error.description());
    }
    Fuzz::check(again.engine() == location.engine(), "the display form keeps the engine", text);
    Fuzz::check(again.password().isEmpty(), "the display form leaves out the password", text);
    switch (location.engine()) {
    case DatabaseLocation::Engine::Sqlite:
        Fuzz::check(again.folder() == location.folder(), "the display form keeps the folder", text);
        break;
    case DatabaseLocation::Engine::Postgres:
        Fuzz::check(again.host() == location.host() && again.port() == location.port()
                        && again.userName() == location.userName() && again.databaseName() == location.databaseName(),
                    "the display form keeps the server, the user and the database",
                    text + QStringLiteral(" -> ") + display);
        break;
    case DatabaseLocation::Engine::Odbc:
        break;
    }
    // Shown again, it is the same text: nothing shown is taken for a password
    // and left out the second time, and the row-lock connections kept under it
    // are found again.
    Fuzz::check(again.toDisplayString() == display, "the display form shows itself",
                text + QStringLiteral(" -> ") + display + QStringLiteral(" -> ") + again.toDisplayString());
    return 0;
}
