#pragma once

#include <QList>
#include <QString>

namespace Torva {

// Every statement the controls run, character for character as the agency's
// DB2 for i takes them; SQLite and PostgreSQL run them unchanged.
namespace Statements {

// Party editor: the party row.
inline const QString LoadPartyForUpdate = QStringLiteral("Select * From DUVPRB.PRBPTY Where PTYKEY=? For Update of PTYNAM");
// The same row read without its lock, to show a party another user holds.
inline const QString LoadParty = QStringLiteral("Select * From DUVPRB.PRBPTY Where PTYKEY=?");
inline const QString NextPartyKey = QStringLiteral("Select IfNull(Max(PTYKEY),0) As MAXPTYKEY From DUVPRB.PRBPTY");
inline const QString UpdateParty = QStringLiteral(
    "Update DUVPRB.PRBPTY Set PTYNAM=?,PTYST1=?,PTYST2=?,PTYCTY=?,PTYSTA=?,PTYZIP=?,PTYCTR=?,PTYIZP=?,PTYHOMPHN=?,"
    "PTYWRKPHN=?,PTYCELPHN=?,PTYBDT=?,PTYSEX=?,PTYUDT=?,PTYUSR=? Where PTYKEY=?");
inline const QString InsertParty = QStringLiteral(
    "Insert Into DUVPRB.PRBPTY (PTYNAM,PTYST1,PTYST2,PTYCTY,PTYSTA,PTYZIP,PTYCTR,PTYIZP,PTYHOMPHN,PTYWRKPHN,PTYCELPHN,"
    "PTYBDT,PTYSEX,PTYUDT,PTYUSR,PTYKEY) Values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
inline const QString DeleteParty = QStringLiteral("Delete From DUVPRB.PRBPTY Where PTYKEY=?");

// Party editor: likely duplicates, with and without the first street line.
inline const QString DuplicatePartyWithStreet = QStringLiteral(
    "Select * From DUVPRB.PRBPTY Where PTYKEY<>? And PTYNAM Like ? And PTYBDT=? And PTYSEX=? And PTYST1=?");
inline const QString DuplicateParty = QStringLiteral(
    "Select * From DUVPRB.PRBPTY Where PTYKEY<>? And PTYNAM Like ? And PTYBDT=? And PTYSEX=?");

// Address check against the zip table.
inline const QString ZipLookup = QStringLiteral("Select * From DUVCRT.ZIPDTA Where ZIPCTY=? And ZIPSTA=? And ZIPKEY=?");

// The zip box: the city and state of a zip it was given.
inline const QString ZipCityState = QStringLiteral(
    "Select ZIPCTY,ZIPSTA,ZIPKEY From DUVCRT.ZIPDTA Where ZIPKEY=? Order By ZIPCTY,ZIPSTA");

// Record sources of the party editor's lists. "&TEXT" stands for the text typed so far.
inline const QString CityListSource = QStringLiteral(
    "Select ZIPCTY,ZIPSTA,ZIPKEY From DUVCRT.ZIPDTA Where ZIPCTY Like '&TEXT%' Order By ZIPCTY,ZIPSTA,ZIPKEY");
inline const QString StateListSource = QStringLiteral(
    "Select STACOD,STADSC,STACTR From DUVCRT.ARYSTA Where STACTR='US' Order By STADSC");
inline const QString SexListSource = QStringLiteral("Select SEXCOD,SEXDSC From DUVCRT.ARYSEX");

// Associations editor: the user's security row.
inline const QString SecurityRow = QStringLiteral("Select * From DUVPRB.PRBSEC Where SECUSR=?");

// Associations editor: the name search over parties and clients (its two
// blanks after the second "||" and its trailing blank are part of it).
inline const QString NameSearchSource = QStringLiteral(
    "Select 'P' As ASCFLG,PTYKEY,PTYNAM,Substr(Digits(PTYBDT),5,2) || '/' || Substr(Digits(PTYBDT),7,2) || '/' || "
    "Substr(Digits(PTYBDT),1,4) As PTYBDTMDY From DUVPRB.PRBPTY Where PTYNAM Like '&TEXT%' Union Select 'C' As "
    "PTYFLG,CLTCNO as PTYKEY,CLTNAM As PTYNAM,Substr(Digits(CLTBDT),5,2) ||  '/' || Substr(Digits(CLTBDT),7,2) || '/' "
    "|| Substr(Digits(CLTBDT),1,4) As PTYBDTMDY From DUVPRB.PRBCLT Where CLTNAM Like '&TEXT%' Order By PTYNAM ");

// The name search as PostgreSQL is given it for one page of rows: the same
// rows, in the order above with a name's rows in the order kind, then key.
// Each branch reads no more than the page from its name index, where the
// search as written would read and sort every match first. Union All loses
// nothing: the branches' rows differ in kind, so none can be in both.
inline const QString NameSearchPage = QStringLiteral(
    "(Select 'P' As ASCFLG,PTYKEY,PTYNAM,Substr(Digits(PTYBDT),5,2) || '/' || Substr(Digits(PTYBDT),7,2) || '/' || "
    "Substr(Digits(PTYBDT),1,4) As PTYBDTMDY From DUVPRB.PRBPTY Where PTYNAM Like ? Order By PTYNAM,PTYKEY Limit &ROWS) "
    "Union All (Select 'C' As PTYFLG,CLTCNO as PTYKEY,CLTNAM As PTYNAM,Substr(Digits(CLTBDT),5,2) || '/' || "
    "Substr(Digits(CLTBDT),7,2) || '/' || Substr(Digits(CLTBDT),1,4) As PTYBDTMDY From DUVPRB.PRBCLT Where CLTNAM Like ? "
    "Order By CLTNAM,CLTCNO Limit &ROWS) Order By PTYNAM,ASCFLG,PTYKEY Limit &ROWS");

// Associations editor: the pieces of the tree statement.
inline const QString TreeClientHeader = QStringLiteral(
    "Select 'Client' As RLTDSC,0 As SORTBY,0 As RLTCOD,0 As ROWOUTLVL,0 As HASINVCOD,CLTNAM As ASCNAM,CLTBDT As "
    "ASCBDT,Zoned(0,8,0) As ASCUDT,'' As ASCUSR,'' As ORGFLG1,0 As ORGKEY1,0 As ORGRLTCOD,'' As ORGFLG2,0 As "
    "ORGKEY2,0 As OLDRCD,0 As CHGRCD From DUVPRB.PRBCLT Where CLTCNO=?");
inline const QString TreePartyHeader = QStringLiteral(
    "Select 'Party' As RLTDSC,0 As SORTBY,0 As RLTCOD,0 As ROWOUTLVL,0 As HASINVCOD,PTYNAM As ASCNAM,PTYBDT As "
    "ASCBDT,Zoned(0,8,0) As ASCUDT,'' As ASCUSR,'' As ORGFLG1,0 As ORGKEY1,0 As ORGRLTCOD,'' As ORGFLG2,0 As "
    "ORGKEY2,0 As OLDRCD,0 As CHGRCD From DUVPRB.PRBPTY Where PTYKEY=?");
inline const QString TreeDirectFolders = QStringLiteral(
    "Select RLTDSC,RLTCOD As SORTBY,RLTCOD,1 As ROWOUTLVL,Case When RLTDSC=RLTINVDSC Then 0 Else -1 End As "
    "HASINVCOD,'' As ASCNAM,0 As ASCBDT,Zoned(0,8,0) As ASCUDT,'' As ASCUSR,'' As ORGFLG1,0 As ORGKEY1,0 As "
    "ORGRLTCOD,'' As ORGFLG2,0 As ORGKEY2,0 As OLDRCD,0 As CHGRCD From DUVPRB.ARYRLT");
inline const QString TreeInverseFolders = QStringLiteral(
    "Select RLTINVDSC As RLTDSC,RLTCOD As SORTBY,RLTCOD+100 As RLTCOD,1 As ROWOUTLVL,-1 As HASINVCOD,'' As "
    "ASCNAM,0 As ASCBDT,Zoned(0,8,0) As ASCUDT,'' As ASCUSR,'' As ORGFLG1,0 As ORGKEY1,0 As ORGRLTCOD,'' As "
    "ORGFLG2,0 As ORGKEY2,0 As OLDRCD,0 As CHGRCD From DUVPRB.ARYRLT Where RLTINVDSC<>RLTDSC");
inline const QString TreeInverseAssociates = QStringLiteral(
    "Select '' As RLTDSC,ASCRLTCOD As SORTBY,RLTCOD+100 As RLTCOD,2 As ROWOUTLVL,0 As HASINVCOD,Case When "
    "ASCFLG2='C' Then IfNull(CLTNAM,'') Else IfNull(PTYNAM,'') End As ASCNAM,Case When ASCFLG2='C' Then "
    "IfNull(CLTBDT,0) Else IfNull(PTYBDT,0) End As ASCBDT,ASCUDT,ASCUSR,ASCFLG1 As ORGFLG1,ASCKEY1 As "
    "ORGKEY1,ASCRLTCOD As ORGRLTCOD,ASCFLG2 As ORGFLG2,ASCKEY2 As ORGKEY2,-1 As OLDRCD,0 As CHGRCD From "
    "DUVPRB.PRBCLTASC Join DUVPRB.ARYRLT On RLTCOD=ASCRLTCOD Left Join DUVPRB.PRBCLT On ASCFLG2='C' And "
    "CLTCNO=ASCKEY2 Left Join DUVPRB.PRBPTY On ASCFLG2='P' And PTYKEY=ASCKEY2 Where ASCFLG1=? And ASCKEY1=?");
inline const QString TreeDirectAssociates = QStringLiteral(
    "Select '' As RLTDSC,ASCRLTCOD As SORTBY,RLTCOD As RLTCOD,2 As ROWOUTLVL,0 As HASINVCOD,Case When "
    "ASCFLG1='C' Then IfNull(CLTNAM,'') Else IfNull(PTYNAM,'') End As ASCNAM,Case When ASCFLG1='C' Then "
    "IfNull(CLTBDT,0) Else IfNull(PTYBDT,0) End As ASCBDT,ASCUDT,ASCUSR,ASCFLG1 As ORGFLG1,ASCKEY1 As "
    "ORGKEY1,ASCRLTCOD As ORGRLTCOD,ASCFLG2 As ORGFLG2,ASCKEY2 As ORGKEY2,-1 As OLDRCD,0 As CHGRCD From "
    "DUVPRB.PRBCLTASC Join DUVPRB.ARYRLT On RLTCOD=ASCRLTCOD Left Join DUVPRB.PRBCLT On ASCFLG1='C' And "
    "CLTCNO=ASCKEY1 Left Join DUVPRB.PRBPTY On ASCFLG1='P' And PTYKEY=ASCKEY1 Where ASCFLG2=? And ASCKEY2=?");
inline const QString TreeUnion = QStringLiteral(" Union ");
inline const QString TreeOrder = QStringLiteral(" Order By SORTBY,RLTCOD,ROWOUTLVL");

// The whole tree statement for a client ("C") or any other kind (a party).
// Its parameters: key, kind, key, kind, key.
inline QString associationTree(const QString &partyType)
{
    const QString &header = partyType == QLatin1String("C") ? TreeClientHeader : TreePartyHeader;
    return header + TreeUnion + TreeDirectFolders + TreeUnion + TreeInverseFolders + TreeUnion + TreeInverseAssociates
           + TreeUnion + TreeDirectAssociates + TreeOrder;
}

// Associations editor: one association by its five key values.
inline const QString DuplicateAssociation = QStringLiteral(
    "Select * From DUVPRB.PRBCLTASC Where ASCFLG1=? And ASCKEY1=? And ASCRLTCOD=? And ASCFLG2=? And ASCKEY2=?");
inline const QString DeleteAssociation = QStringLiteral(
    "Delete From DUVPRB.PRBCLTASC Where ASCFLG1=? And ASCKEY1=? And ASCRLTCOD=? And ASCFLG2=? And ASCKEY2=?");
inline const QString InsertAssociation = QStringLiteral(
    "Insert Into DUVPRB.PRBCLTASC (ASCFLG1,ASCKEY1,ASCRLTCOD,ASCFLG2,ASCKEY2,ASCUDT,ASCUSR) Values(?,?,?,?,?,?,?)");

// Every statement above that the controls run, named for a report, as the
// controls give them to the data layer: the record sources with the typed
// text bound (see RecordSource), the tree for a client and for a party.
struct Named
{
    QString name;
    QString text;
};
QList<Named> all();

} // namespace Statements

} // namespace Torva
