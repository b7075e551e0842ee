#include "partieseditor.h"

#include "controls/inputevents.h"
#include "associationrows.h"

#include "base/clock.h"
#include "fields/datetimefunctions.h"
#include "base/messageservice.h"
#include "fields/storedtext.h"
#include "controls/combobox.h"
#include "controls/datagrid.h"
#include "controls/designfont.h"
#include "controls/imagelist.h"
#include "controls/propertybag.h"
#include "controls/twips.h"
#include "data/dataaccesserror.h"
#include "data/lockkey.h"
#include "data/schema.h"
#include "data/statements.h"
#include "data/tableobject.h"

#include <QAbstractItemView>
#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QResizeEvent>
#include <QSet>

namespace Torva {

namespace {

const QString EditMode = QStringLiteral("*EDIT");
const QString Escaped = QStringLiteral("*ESC");
const QString DuplicateMessage = QStringLiteral("Duplicate association.");
constexpr int EscapeKey = 27;
const QString ViewMode = QStringLiteral("*VIEW");
constexpr int DesignWidth = 8100;
constexpr int DesignHeight = 5415;
constexpr int NameColumnWidth = 3400;

enum Level { HeaderLevel = 0, FolderLevel = 1, AssociateLevel = 2 };

// Child becomes Children, any other name takes an s.
QString plural(const QString &description)
{
    return description + (description.toUpper().contains(QLatin1String("CHILD")) ? QStringLiteral("ren") : QStringLiteral("s"));
}

} // namespace

PartiesEditor::PartiesEditor(QWidget *parent)
    : EditorWidget(parent)
    , grd(new DataGrid(this))
    , cboPTYNAM(new ComboBox(this))
    , iml(new ImageList(this))
    , mnuPop(new QMenu(this))
    , m_rows(new AssociationRows(*grd, PartyType, PartyKey, UserID, this))
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
    connectEditing();
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
    grd->setFont(designFont());
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
    cboPTYNAM->setFont(designFont());
}


int PartiesEditor::column(const char *key) const
{
    return grd->ColumnIndex(QLatin1String(key));
}



void PartiesEditor::applyEnabled(bool enabled)
{
    grd->setEnabled(enabled);
}


void PartiesEditor::SetHyperlinkNames(bool hyperlink)
{
    m_hyperlinkNames = hyperlink;
    if (!DesignMode())
        ApplyHyperlinkNames(hyperlink);
    Q_EMIT HyperlinkNamesChanged(hyperlink);
}

void PartiesEditor::ReadProperties(const PropertyBag &bag)
{
    readEnabled(bag);
    SetHyperlinkNames(bag.ReadProperty(QStringLiteral("HyperlinkNames"), false).toBool());
}

void PartiesEditor::WriteProperties(PropertyBag &bag) const
{
    writeEnabled(bag);
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
    // The columns are fitted once, below, when their texts are final and the
    // columns no one sees are hidden: fitting reads up to a thousand rows.
    grd->EndLoad(false, grd->Editable() != 0, false);

    grd->setColumnWidth(column("ASCNAM"), NameColumnWidth);
    for (const char *key : {"HASINVCOD", "OLDRCD", "CHGRCD"})
        grd->setColumnType(column(key), OutlineModel::BooleanType);
    grd->setCellText(0, column("RLTDSC"), QString());
    grd->setCellText(0, column("ASCNAM"), tr("Name"));
    grd->setCellText(0, column("ASCBDT"), tr("DOB"));
    grd->setCellText(0, column("ASCUDT"), tr("Changed"));
    grd->setCellText(0, column("ASCUSR"), tr("User"));
    grd->setColumnIsDate(column("ASCBDT"), true);
    grd->ShowColumns(grd->FixedCols(), column("HASINVCOD"), false);
    grd->ShowColumns(column("ORGFLG1"), grd->Cols() - 1, false);
    grd->FitColumns();
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

void PartiesEditor::connectEditing()
{
    connect(grd, &DataGrid::ContextMenuRequest, this, &PartiesEditor::showPopupMenu);
    connect(grd, &DataGrid::RowDoubleClick, this, [this] {
        // Enter on a new row's name opened the name search: that was its answer.
        if (cboPTYNAM->IsEditing())
            return;
        if (PreparePopupMenu(grd->Row()) && mnuPopViewParty->isEnabled())
            viewAssociate();
    });
    connect(grd, &DataGrid::BeforeCellEdit, this, &PartiesEditor::beforeCellEdit, Qt::DirectConnection);
    connect(grd, &DataGrid::CellEdited, this, [this] { m_rows->MarkRowChanged(grd->Row()); });
    connect(grd, &DataGrid::ViewChanging, this, [this] {
        if (cboPTYNAM->Visible())
            cboPTYNAM->hide();
    });
    connect(grd, &DataGrid::HyperlinkClick, this, [this](int, int Row) { hyperlinkClicked(Row); });
    connect(grd, &DataGrid::MouseButtonPress, this,
            [this](int Button, int Shift, int, int, bool &Cancel) { mouseButtonPressed(Button, Shift, Cancel); },
            Qt::DirectConnection);
    connect(grd, &DataGrid::DragStart, this,
            [this](const QVariant &, int &AllowedEffects) {
                // A move deletes the dragged row: only a user who may delete is offered one.
                AllowedEffects = m_dragMoves && mayDelete() ? DataGrid::DropMove : DataGrid::DropCopy;
            },
            Qt::DirectConnection);
    connect(grd, &DataGrid::DragDrop, this, [this] { dropOn(grd->MouseRow()); });

    connect(cboPTYNAM, &ComboBox::KeyDown, this, &PartiesEditor::nameSearchKeyDown, Qt::DirectConnection);
    connect(cboPTYNAM, &ComboBox::EntryFinished, this, &PartiesEditor::nameSearchFinished);
    connect(cboPTYNAM, &ComboBox::AddRecordRequest, this, &PartiesEditor::addRecordRequested, Qt::DirectConnection);

    connect(mnuPopNew, &QAction::triggered, this, &PartiesEditor::newAssociate);
    connect(mnuPopDelete, &QAction::triggered, this, &PartiesEditor::deleteAssociates);
    connect(mnuPopViewParty, &QAction::triggered, this, &PartiesEditor::viewAssociate);

    // Keys for what the mouse does: Delete, and Ctrl+C / Ctrl+X then Ctrl+V
    // on a folder for a copy or move (the grid's own keys do the rest).
    grd->view()->installEventFilter(this);
}

bool PartiesEditor::mayDelete() const
{
    return adoPRBSEC && adoPRBSEC->FieldValue(QStringLiteral("SECP02")).toString() == QLatin1String("Y");
}

int PartiesEditor::menuRow() const
{
    return mnuPop->property("Tag").toString().toInt();
}

bool PartiesEditor::PreparePopupMenu(int Row)
{
    mnuPopNew->setEnabled(false);
    mnuPopDelete->setEnabled(false);
    mnuPopViewParty->setEnabled(false);
    if (Row < grd->FixedRows() || Row >= grd->Rows())
        return false;
    mnuPop->setProperty("Tag", QString::number(Row));

    switch (grd->RowLevel(Row)) {
    case FolderLevel:
        if (UserMode != EditMode)
            return false;
        mnuPopNew->setText(tr("&New ") + grd->CellData(Row, 0));
        mnuPopNew->setEnabled(true);
        mnuPopDelete->setText(tr("&Delete All ") + grd->CellText(Row, 0));
        mnuPopDelete->setEnabled(mayDelete() && grd->NodeRow(Row, 2) > Row);
        return true;
    case AssociateLevel:
        if (UserMode == EditMode) {
            mnuPopDelete->setText(tr("&Delete"));
            mnuPopDelete->setEnabled(mayDelete());
        }
        mnuPopViewParty->setEnabled(true);
        return true;
    default:
        return false;
    }
}

void PartiesEditor::showPopupMenu(int Row, bool ByMouse)
{
    if (!PreparePopupMenu(Row))
        return;
    const QPoint at = ByMouse ? QCursor::pos()
                              : grd->mapToGlobal(QPoint(Twips::toPixels(grd->CellLeft()),
                                                        Twips::toPixels(grd->CellTop() + grd->RowHeight(Row))));
    mnuPop->popup(at);
}

void PartiesEditor::newAssociate()
{
    InputEvents::atEventBoundary("PartiesEditor: New", [this] { m_rows->AddAssociateRow(menuRow(), true); });
}

void PartiesEditor::deleteAssociates()
{
    const int row = menuRow();
    if (grd->RowLevel(row) == FolderLevel)
        m_rows->DeleteAssociateRows(grd->NodeRow(row, 2), grd->NodeRow(row, 3));
    else if (grd->RowLevel(row) == AssociateLevel)
        m_rows->DeleteAssociateRows(row, row);
}

void PartiesEditor::viewAssociate()
{
    const int row = menuRow();
    const char *flag = m_rows->subjectIsSideOne(row) ? "ORGFLG2" : "ORGFLG1";
    const char *key = m_rows->subjectIsSideOne(row) ? "ORGKEY2" : "ORGKEY1";
    Q_EMIT ViewParty(grd->CellText(row, column(flag)), qint32(grd->CellValue(row, column(key))));
}

void PartiesEditor::beforeCellEdit(int Row, int Col, bool &Cancel)
{
    if (!grd->CanEditCell(Row, Col)) {
        Cancel = true;
        return;
    }
    grd->setEditSetting(0);
    // Only the name of a new associate is edited, through the name search:
    // nothing else of a row is saved, and a stored association is replaced by
    // deleting it and adding another, never re-pointed.
    Cancel = true;
    if (Col == column("ASCNAM") && m_rows->isAssociate(Row) && m_rows->isNew(Row))
        cboPTYNAM->EditCell();
}

void PartiesEditor::nameSearchKeyDown(int &KeyCode, int &Shift)
{
    cboPTYNAM->setTag(QString());
    if (KeyCode == EscapeKey && Shift == 0) {
        cboPTYNAM->setTag(Escaped);
        cboPTYNAM->hide();
    }
}

void PartiesEditor::nameSearchFinished()
{
    // Escape, or an entry that ended with no client or party chosen, assigns nothing.
    if (cboPTYNAM->Tag() == Escaped || cboPTYNAM->ListIndex() < 0)
        return;
    InputEvents::atEventBoundary("PartiesEditor: assigning a name", [this] {
        // The row shows the birth date it was picked by, as a stored row does,
        // so that two people of one name can be told apart before a reload.
        const qint32 born = DateTimeFunctions::DateToNumber(cboPTYNAM->Columns(QStringLiteral("PTYBDT")), QString(),
                                                            QStringLiteral("yyyyMMdd"));
        grd->setCellText(grd->Row(), column("ASCBDT"), QString::number(born));
        m_rows->AssignAssociate(grd->Row(), cboPTYNAM->Columns(QStringLiteral("ASCFLG")).toString(),
                                cboPTYNAM->Columns(QStringLiteral("PTYKEY")).toInt());
    });
}

void PartiesEditor::addRecordRequested(QVariant &Id)
{
    Q_EMIT AddParty(Id, cboPTYNAM->EditText());
    bool isNumber = false;
    const qlonglong key = Id.toLongLong(&isNumber);
    if (isNumber && key > 0)
        m_rows->AssignAssociate(grd->Row(), QStringLiteral("P"), qint32(key));
}

void PartiesEditor::hyperlinkClicked(int Row)
{
    Q_EMIT HyperlinkClickName(grd->CellText(Row, column("ASCNAM")), qint32(grd->CellValue(Row, column("ASCBDT"))));
}

void PartiesEditor::mouseButtonPressed(int Button, int Shift, bool &Cancel)
{
    if (UserMode != EditMode)
        return;
    const int row = grd->MouseRow();
    if (grd->MouseCol() != grd->Col() || row != grd->Row())
        return;
    if (Button != DataGrid::LeftButton || (Shift != 0 && Shift != DataGrid::CtrlKey))
        return;
    if (grd->RowLevel(row) != AssociateLevel || grd->CellText(row, column("ASCNAM")).isEmpty())
        return;
    takeUp(row, Shift == 0);  // a move is what the user asks for; dropOn decides what is done
    Cancel = true;
    grd->StartDrag();
}

void PartiesEditor::takeUp(int Row, bool Moves)
{
    m_dragRow = Row;
    m_dragMoves = Moves;
    m_dragged = rowCells(Row);
}

QStringList PartiesEditor::rowCells(int Row) const
{
    QStringList cells;
    for (int col = 0; col < grd->Cols(); ++col)
        cells << grd->CellText(Row, col);
    return cells;
}

int PartiesEditor::takenUpRow() const
{
    // Rows may have come or gone between Ctrl+X and Ctrl+V: the associate
    // taken up is found again by what its row holds, never taken for
    // whichever row now stands at its place; one moved away is gone.
    if (m_dragged.isEmpty())
        return -1;
    if (m_dragRow >= grd->FixedRows() && m_dragRow < grd->Rows() && !grd->RowHidden(m_dragRow)
        && rowCells(m_dragRow) == m_dragged)
        return m_dragRow;
    for (int row = grd->FixedRows(); row < grd->Rows(); ++row) {
        if (m_rows->isAssociate(row) && !grd->RowHidden(row) && rowCells(row) == m_dragged)
            return row;
    }
    return -1;
}

void PartiesEditor::dropOn(int Target)
{
    if (UserMode != EditMode || Target < grd->FixedRows() || Target >= grd->Rows() || grd->RowLevel(Target) != FolderLevel)
        return;
    m_dragRow = takenUpRow();
    if (m_dragRow < grd->FixedRows() || m_dragRow == Target || grd->RowLevel(m_dragRow) != AssociateLevel)
        return;

    m_rows->AddAssociateRow(Target, false);
    const int copy = grd->NodeRow(Target, 3);
    if (copy <= m_dragRow)
        ++m_dragRow;  // the new row pushed the dragged one down
    for (int col = 0; col < grd->Cols(); ++col)
        grd->setCellText(copy, col, grd->CellText(m_dragRow, col));
    grd->setCellText(copy, column("OLDRCD"), QStringLiteral("False"));
    grd->setCellText(copy, column("RLTCOD"), QString::number(qint64(grd->CellValue(Target, column("RLTCOD")))));

    // The copy's keys: as dragged, with the folder's code, where loading reads
    // such a row back into this folder; otherwise as if its associate had been
    // chosen here, so that no inverse code is ever stored.
    const bool keepSides = grd->CellValue(Target, column("RLTCOD")) <= 100
                           && (m_rows->isSymmetric(copy) || !m_rows->subjectIsSideOne(copy));
    if (keepSides) {
        grd->setCellText(copy, column("ORGRLTCOD"), grd->CellText(copy, column("RLTCOD")));
    } else {
        const bool sideOne = m_rows->subjectIsSideOne(copy);
        const QString flag = grd->CellText(copy, column(sideOne ? "ORGFLG2" : "ORGFLG1"));
        const qint32 key = qint32(grd->CellValue(copy, column(sideOne ? "ORGKEY2" : "ORGKEY1")));
        m_rows->setKeysFor(copy, flag, key);
    }
    m_rows->MarkRowChanged(copy);
    if (!m_dragMoves)
        return;
    // A move deletes the row from its folder, which only a user who may
    // delete associations may do; anyone else gets the copy and is told why.
    if (mayDelete()) {
        m_rows->DeleteAssociateRows(m_dragRow, m_dragRow);
        m_dragged.clear();  // moved: there is nothing left to paste
        return;
    }
    MessageService::instance().showMessage(
        this,
        tr("%1 was copied to %2, not moved: moving it would delete it from %3, and you may not delete associations.")
            .arg(grd->CellText(m_dragRow, column("ASCNAM")), grd->CellText(Target, 0),
                 grd->CellText(grd->NodeRow(m_dragRow, 1), 0)),
        tr("Copied, not moved"));
}

bool PartiesEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != grd->view() || event->type() != QEvent::KeyPress || UserMode != EditMode)
        return QWidget::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    const int row = grd->Row();
    bool handled = false;
    InputEvents::atEventBoundary("PartiesEditor: a key", [&] {
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
            if (PreparePopupMenu(row) && mnuPopDelete->isEnabled())
                deleteAssociates();
            handled = true;
        } else if ((key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Cut)) && m_rows->isAssociate(row)
                   && !grd->CellText(row, column("ASCNAM")).isEmpty()) {
            takeUp(row, key->matches(QKeySequence::Cut));
            handled = true;
        } else if (key->matches(QKeySequence::Paste)) {
            dropOn(row);
            handled = true;
        }
    });
    return handled;
}

bool PartiesEditor::HasErrors()
{
    if (!adoPRBCLTASC)
        return false;  // nothing loaded, nothing to save
    // A row's keys as a LockKey: equal for equal keys however a number is held.
    const auto rowKey = [](const QVariantList &keys) { return LockKey(Schema::AssociationTable, keys); };
    // The new rows, and every association on file that one of them may
    // repeat (a symmetric one read either way), looked up all together.
    QList<int> newRows;
    QList<QVariantList> lookups;
    const int rows = grd->Rows();
    for (int row = grd->FixedRows(); row < rows; ++row) {
        if (!m_rows->isAssociate(row) || !m_rows->isNew(row) || grd->RowHidden(row) || !m_rows->hasSubject(row))
            continue;
        newRows << row;
        lookups << m_rows->keys(row);
        if (m_rows->isSymmetric(row))
            lookups << AssociationRows::reversed(lookups.last());
    }
    if (newRows.isEmpty())
        return false;
    QSet<LockKey> onFile;
    const QList<QueryResult> found = adoPRBCLTASC->FetchEach(Statements::DuplicateAssociation, lookups);
    for (qsizetype i = 0; i < found.size(); ++i) {
        if (!found.at(i).isEmpty())
            onFile.insert(rowKey(lookups.at(i)));
    }
    // The keys of the new rows above the one checked, so that each new row is
    // compared with them once rather than by a walk over every row above it.
    QSet<LockKey> newAbove;
    for (const int row : std::as_const(newRows)) {
        const QVariantList keys = m_rows->keys(row);
        const LockKey key = rowKey(keys);
        bool duplicate = newAbove.contains(key) || onFile.contains(key);
        if (!duplicate && m_rows->isSymmetric(row)) {
            const LockKey reversed = rowKey(AssociationRows::reversed(keys));
            duplicate = newAbove.contains(reversed) || onFile.contains(reversed);
        }
        if (duplicate) {
            grd->ShowCellError(row, column("ASCNAM"), DuplicateMessage);
            return true;
        }
        newAbove.insert(key);
    }
    return false;
}

bool PartiesEditor::SaveRecords()
{
    // Only an editor writes: a viewer's save runs nothing, not even the check.
    if (UserMode != EditMode)
        return false;
    if (HasErrors())
        return false;
    if (!adoPRBCLTASC)
        return true;
    const qint32 changed = DateTimeFunctions::DateToNumber(Clock::now(), QString(), QStringLiteral("MMddyyyy"));
    // The writes go to a server together; their outcome is known at the commit.
    adoPRBCLTASC->BeginTransaction();
    try {
        for (int row = grd->FixedRows(); row < grd->Rows(); ++row) {
            if (m_rows->isAssociate(row) && grd->RowHidden(row))
                adoPRBCLTASC->QueueWrite(Statements::DeleteAssociation, m_rows->keys(row));
        }
        for (int row = grd->FixedRows(); row < grd->Rows(); ++row) {
            // A row that never got a client or party is no association.
            if (m_rows->isAssociate(row) && m_rows->isNew(row) && !grd->RowHidden(row) && m_rows->hasSubject(row))
                adoPRBCLTASC->QueueWrite(Statements::InsertAssociation,
                                         m_rows->keys(row) + QVariantList{changed, storedText(UserID)});
        }
        adoPRBCLTASC->CommitTransaction();
    } catch (const DataAccessError &) {
        try {
            adoPRBCLTASC->RollbackTransaction();
        } catch (const DataAccessError &) {
            // the failure that stopped the save is the one to report
        }
        throw;
    }
    showSaved();
    return true;
}

void PartiesEditor::showSaved()
{
    // What was inserted is stored now, and what was deleted is gone.
    for (int row = grd->Rows() - 1; row >= grd->FixedRows(); --row) {
        if (!m_rows->isAssociate(row))
            continue;
        if (grd->RowHidden(row))
            grd->RemoveRow(row);
        else if (m_rows->isNew(row) && m_rows->hasSubject(row))
            grd->setCellText(row, column("OLDRCD"), QStringLiteral("True"));
    }
}

} // namespace Torva
