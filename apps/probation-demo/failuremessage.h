#pragma once

#include <QString>

class DataAccessError;
class QWidget;

// Tells the user plainly that a database call failed: what was being done,
// the database's message, and the statement that failed.
void showFailure(QWidget *parent, const QString &what, const DataAccessError &error);
