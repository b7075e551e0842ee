#pragma once

#include <QString>
#include <QStringList>

namespace Torva {

class PartiesEditor;

// A client and its associations on file, and ways to read an association
// outline back, for the associations editor's tests.
namespace AssociationFixture {

// Relationship types 3 Parent/Child and 5 Guardian/Ward (directional) and
// 21 Sibling (symmetric); user JSMITH may delete associations, OFFICER may not;
// and client 12 with: party 5 its parent, client 7 its child, siblings stored
// both ways (C12-21-P6 and P8-21-C12), and a parent whose party row is gone (P99).
void seedClientTwelve();

// The rows shown, as "level:RLTDSC:ASCNAM", associates of a folder sorted.
QStringList outline(const PartiesEditor &editor);
// The first row of this level whose column (default the tree column) holds text; -1 for none.
int rowOf(const PartiesEditor &editor, int level, const QString &text, const char *key = "RLTDSC");
QString cell(const PartiesEditor &editor, int row, const char *key);
// The names shown in a folder, in their order.
QStringList namesIn(const PartiesEditor &editor, const QString &folder);
// The five stored keys of a row, as text.
QStringList keys(const PartiesEditor &editor, int row);
// An association's five keys as text, joined as "C12-3-C7".
QString association(const QStringList &keys);
// The associations on file, so joined and sorted.
QStringList stored();

} // namespace AssociationFixture

} // namespace Torva
