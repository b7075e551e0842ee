// DatabaseLocation::parse on any text: it either gives a location that reads
// back from its own display form, or throws DataAccessError, nothing else.

#include "fuzzinput.h"

#include "data/dataaccesserror.h"
#include "data/databaselocation.h"

namespace {

bool plain(const QString &part)
{
    for (QChar c : part) {
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && !QStringLiteral("._~-").contains(c))
            return false;
    }
    return true;
}

// Whether the display form of a PostgreSQL location can be read back as it is written today.
bool displayReadsBack(const DatabaseLocation &location)
{
    return plain(location.host()) && plain(location.userName()) && plain(location.databaseName());
}

} // namespace

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
    if (location.engine() == DatabaseLocation::Engine::Odbc) {
        for (const QString &part : display.mid(5).split(QLatin1Char(';')))
            Fuzz::check(!part.trimmed().startsWith(QLatin1String("PWD="), Qt::CaseInsensitive),
                        "the display form leaves out the password", text);
    }
    // toDisplayString() writes the server, user and database as they are: an
    // IPv6 address without its brackets, a user name or database name with
    // characters a URL must encode ("@", ":", "/", spaces...) does not read
    // back (tests/tst_fuzzfindings.cpp holds these cases). Until it encodes
    // them, only the locations whose parts need no encoding are read back.
    if (location.engine() == DatabaseLocation::Engine::Postgres && !displayReadsBack(location))
        return 0;
    // A folder whose name ends in white space (kept by "sqlite:/data\r/")
    // loses it when its display form is read back, which is trimmed (also in
    // tests/tst_fuzzfindings.cpp).
    if (location.engine() == DatabaseLocation::Engine::Sqlite && location.folder() != location.folder().trimmed())
        return 0;
    // An ODBC string of nothing but passwords shows as a bare "odbc:", which
    // is refused (also in tests/tst_fuzzfindings.cpp).
    if (location.engine() == DatabaseLocation::Engine::Odbc && display.mid(5).remove(QLatin1Char(';')).trimmed().isEmpty())
        return 0;

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
    return 0;
}
