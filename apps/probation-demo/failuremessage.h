#pragma once

#include <QString>

class QWidget;

namespace Torva {

class DataAccessError;

// Tells the user plainly that a database call failed: what was being done and
// the database's message, with the statement that failed under the details.
void showFailure(QWidget *parent, const QString &what, const DataAccessError &error);

} // namespace Torva
