#include "partieseditor.h"

#include "associationrows.h"

#include "common/datetimefunctions.h"
#include "controls/combobox.h"
#include "controls/datagrid.h"
#include "controls/imagelist.h"
#include "controls/propertybag.h"
#include "controls/twips.h"
#include "data/statements.h"
#include "data/tableobject.h"

#include <QAction>
#include <QMenu>
#include <QResizeEvent>

namespace {

const QString EditMode = QStringLiteral("*EDIT");
const QString ViewMode = QStringLiteral("*VIEW");
constexpr int DesignWidth = 8100;
constexpr int DesignHeight = 5415;
constexpr int NameColumnWidth = 3400;

enum Level { HeaderLevel = 0, FolderLevel = 1, AssociateLevel = 2 };

QFont gridFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setPointSizeF(8.25);
    return font;
}

// Child becomes Children, any other name takes an s.
QString plural(const QString &description)
{
    return description + (description.toUpper().contains(QLatin1String("CHILD")) ? QStringLiteral("ren") : QStringLiteral("s"));
}

} // namespace

PartiesEditor::PartiesEditor(QWidget *parent)
    : QWidget(parent)
    , grd(new DataGrid(this))
    , cboPTYNAM(new ComboBox(this))
    , iml(new ImageList(this))
    , mnuPop(new QMenu(this))
    , m_rows(new AssociationRows(*grd, this))
{
    grd->setObjectName(QStringLiteral("grd"));
    cboPTYNAM->setObjectName(QStringLiteral("cboPTYNAM"));
    iml->setObjectName(QStringLiteral("iml"));
    mnuPop->setObjectName(QStringLiteral("mnuPop"));
    mnuPopNew = mnuPop->addAction(tr("&New"));
    mnuPopNew->setObjectName(QStringLiteral("mnuPopNew"));
    mnuPopDelete = mnuPop->addAction(tr("&Delete"));
    mnuPopDelete->setObjectName(QStringLiteral("mnuPopDelete"));
    mnuPopViewParty = mnuPop->addAction(tr("&View Associates"));
    mnuPopViewParty->setObjectName(QStringLiteral("mnuPopViewParty"));

    grd->setGeometry(Twips::toPixels(0, 60, 8055, 5295));
    cboPTYNAM->setGeometry(Twips::toPixels(0, 0, 1275, 315));
    cboPTYNAM->hide();
    applyGridDesign();

    connect(m_rows, &AssociationRows::Change, this, &PartiesEditor::Change);
    forwardErrors(grd->tableObject());
    forwardErrors(cboPTYNAM->tableObject());
    resize(sizeHint());
}

PartiesEditor::~PartiesEditor() = default;

QSize PartiesEditor::sizeHint() const
{
    return QSize(Twips::toPixels(DesignWidth), Twips::toPixels(DesignHeight));
}

void PartiesEditor::applyGridDesign()
{
    grd->setFont(gridFont());
    grd->setBackColor(QColor(233, 243, 249));
    grd->setBackColorAlternate(QColor(255, 255, 255));
    grd->setBackColorSel(palette().color(QPalette::Highlight));
    grd->setForeColorSel(palette().color(QPalette::HighlightedText));
    grd->setBackColorFixed(palette().color(QPalette::Button));
    grd->setBackColorBkg(palette().color(QPalette::Dark));
    grd->setForeColor(palette().color(QPalette::WindowText));
    grd->setAllowUserResizing(false);
    grd->setGridLines(true);
    grd->setRows(50);
    grd->setCols(10);
    grd->setFixedRows(1);
    grd->setFixedCols(1);
    grd->setEditable(2);
    grd->setDropMode(1);

    cboPTYNAM->setKeyItems({QStringLiteral("ASCFLG"), QStringLiteral("PTYKEY"), QStringLiteral("PTYNAM"), QStringLiteral("PTYBDT")});
    cboPTYNAM->setHeaderCaptions({tr("Type"), tr("Key"), tr("Name"), tr("DOB")});
    cboPTYNAM->setHiddenItems({false, false, false, false});
    cboPTYNAM->setWidthItems({0, 0, 0, 0});
    cboPTYNAM->setAlignmentItems({0, 2, 1, 2});
    cboPTYNAM->setFixedAlignmentItems({0, 2, 1, 2});
    cboPTYNAM->setDataField(2);
    cboPTYNAM->setDataFieldToDisplay(2);
    cboPTYNAM->setAllowAddRecord(true);
    cboPTYNAM->setMaxLength(30);
    cboPTYNAM->setFont(gridFont());
}

void PartiesEditor::forwardErrors(TableObject &table)
{
    connect(&table, &TableObject::Error, this, [this, &table](int &, QString &) {
        TableObject *copy = &table;
        Q_EMIT Error(copy);
    });
}

int PartiesEditor::column(const char *key) const
{
    return grd->ColumnIndex(QLatin1String(key));
}

bool PartiesEditor::Enabled() const
{
    return !testAttribute(Qt::WA_ForceDisabled);
}

void PartiesEditor::SetEnabled(bool enabled)
{
    QWidget::setEnabled(enabled);
    if (!m_designMode)
        grd->setEnabled(enabled);
    Q_EMIT EnabledChanged(enabled);
}

void PartiesEditor::SetHyperlinkNames(bool hyperlink)
{
    m_hyperlinkNames = hyperlink;
    if (!m_designMode)
        ApplyHyperlinkNames(hyperlink);
    Q_EMIT HyperlinkNamesChanged(hyperlink);
}

void PartiesEditor::ReadProperties(const PropertyBag &bag)
{
    SetEnabled(bag.ReadProperty(QStringLiteral("Enabled"), grd->Enabled()).toBool());
    SetHyperlinkNames(bag.ReadProperty(QStringLiteral("HyperlinkNames"), false).toBool());
}

void PartiesEditor::WriteProperties(PropertyBag &bag) const
{
    bag.WriteProperty(QStringLiteral("Enabled"), Enabled(), grd->Enabled());
    bag.WriteProperty(QStringLiteral("HyperlinkNames"), m_hyperlinkNames, false);
}

void PartiesEditor::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    grd->setGeometry(0, 0, width(), height());
}

bool PartiesEditor::LoadRecords(const QString &UserID, const QString &PartyType, qint32 PartyKey)
{
    this->UserID = UserID;
    this->PartyType = PartyType;
    this->PartyKey = PartyKey;
    m_rows->setSubject(PartyType, PartyKey, UserID);

    // A party is always shown read-only; anything but "*VIEW" counts as edit.
    if (PartyType != QLatin1String("C"))
        UserMode = ViewMode;
    if (UserMode == ViewMode) {
        grd->SetViewDisplay(false, QStringLiteral("Tahoma"), 9, false, false);
        grd->setEditable(0);
    } else {
        UserMode = EditMode;
        grd->SetEditDisplay(false);
        grd->setEditable(2);
    }

    cboPTYNAM->setRecordSource(Statements::NameSearchSource);
    cboPTYNAM->setGrid(grd);

    adoPRBCLTASC = std::make_unique<TableObject>();
    adoPRBSEC = std::make_unique<TableObject>();
    forwardErrors(*adoPRBCLTASC);
    forwardErrors(*adoPRBSEC);
    adoPRBSEC->Execute(Statements::SecurityRow, QVariantList{UserID}, true, true);

    const QVariantList parameters{PartyKey, PartyType, PartyKey, PartyType, PartyKey};
    grd->BeginLoad(true);
    grd->setFixedCols(0);
    try {
        grd->LoadQuery(Statements::associationTree(PartyType), parameters, -1, QStringLiteral("ROWOUTLVL"));
    } catch (...) {
        grd->setRedraw(true);
        throw;
    }
    FormatOutline();
    grd->setFixedCols(1);
    grd->EndLoad(false, grd->Editable() != 0, true);

    grd->setColumnWidth(column("ASCNAM"), NameColumnWidth);
    for (const char *key : {"HASINVCOD", "OLDRCD", "CHGRCD"})
        grd->setColumnType(column(key), OutlineModel::BooleanType);
    grd->setCellText(0, column("RLTDSC"), QString());
    grd->setCellText(0, column("ASCNAM"), tr("Name"));
    grd->setCellText(0, column("ASCBDT"), tr("DOB"));
    grd->setCellText(0, column("ASCUDT"), tr("Changed"));
    grd->setCellText(0, column("ASCUSR"), tr("User"));
    grd->setColumnIsDate(column("ASCBDT"), true);
    grd->FitColumns();  // the dates are wider than the numbers they were
    grd->ShowColumns(grd->FixedCols(), column("HASINVCOD"), false);
    grd->ShowColumns(column("ORGFLG1"), grd->Cols() - 1, false);
    grd->setCellFontBold(grd->FixedRows(), column("ASCNAM"), true);
    ApplyHyperlinkNames(m_hyperlinkNames);
    grd->setRedraw(true);
    return true;
}

void PartiesEditor::FormatOutline()
{
    const int description = column("RLTDSC");
    const int changed = column("ASCUDT");
    for (int row = grd->FixedRows(); row < grd->Rows(); ++row) {
        switch (grd->RowLevel(row)) {
        case HeaderLevel:
            grd->setCellPicture(row, 0, iml->Picture(QStringLiteral("FolderOpen")));
            if (PartyType == QLatin1String("C"))
                grd->setCellText(row, description, grd->CellText(row, description) + QLatin1Char(' ')
                                                       + QString::number(PartyKey).rightJustified(5, QLatin1Char('0')));
            grd->setCellFontBold(row, description, true);
            grd->setCellText(row, changed, QString());
            break;
        case FolderLevel:
            grd->setCellPicture(row, 0, iml->Picture(QStringLiteral("Folder")));
            grd->setCellData(row, 0, grd->CellText(row, 0));
            grd->setCellText(row, 0, plural(grd->CellText(row, 0)));
            grd->setCellText(row, changed, QString());
            break;
        case AssociateLevel:
            ShowAssociateKind(row);
            grd->setRowIsNode(row, false);
            // The stored month-day-year number, shown as the date it is.
            grd->setCellText(row, changed, DateTimeFunctions::ChangeDateText(int(grd->CellValue(row, changed))));
            break;
        default:
            break;
        }
    }
    grd->Outline(0);
}

void PartiesEditor::ShowAssociateKind(int Row)
{
    m_rows->ShowAssociateKind(Row);
}

void PartiesEditor::ApplyHyperlinkNames(bool Hyperlink)
{
    if (UserMode != ViewMode)
        return;
    const int name = column("ASCNAM");
    if (name < 0)
        return;
    for (int row = grd->FixedRows(); row < grd->Rows(); ++row) {
        if (grd->RowLevel(row) != AssociateLevel)
            continue;
        const bool isLink = grd->IsCellHyperlink(row, name);
        if (!Hyperlink && isLink) {
            grd->setCellForeColor(row, name, grd->ForeColor());
            grd->setCellFontUnderline(row, name, false);
        } else if (Hyperlink && !isLink) {
            grd->SetCellHyperlink(row, name);
        }
    }
}
