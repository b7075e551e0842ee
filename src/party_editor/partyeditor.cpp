#include "partyeditor.h"

#include "fields/addressfunctions.h"
#include "base/clock.h"
#include "fields/datetimefunctions.h"
#include "fields/formfunctions.h"
#include "base/messageservice.h"
#include "fields/parsename.h"
#include "fields/storedtext.h"
#include "controls/alphamericbox.h"
#include "controls/combo.h"
#include "controls/datalabel.h"
#include "controls/datepicker.h"
#include "controls/designfont.h"
#include "controls/phonenumber.h"
#include "controls/propertybag.h"
#include "controls/twips.h"
#include "controls/zipcode.h"
#include "data/dataaccesserror.h"
#include "data/schema.h"
#include "data/statements.h"
#include "data/tableobject.h"

#include <QGroupBox>
#include <QLabel>
#include <QRandomGenerator>
#include <QResizeEvent>
#include <QThread>

#include <utility>

namespace Torva {

namespace {

const QString EditMode = QStringLiteral("*EDIT");
constexpr int DesignWidth = 9495;
constexpr int DesignHeight = 4620;
constexpr int FrameMargin = 30;  // the frames are this much narrower than the control

// Column values as the fields take them; a null loads as empty text or 0.
QString textOf(const QVariant &value)
{
    return value.isNull() ? QString() : value.toString();
}

qint32 integerOf(const QVariant &value)
{
    return value.isNull() ? 0 : value.toInt();
}

double doubleOf(const QVariant &value)
{
    return value.isNull() ? 0.0 : value.toDouble();
}

// How often a new party tries the next key when other editors keep taking it.
constexpr int KeyAttempts = 20;

const QString NameFormatMessage = QStringLiteral(
    "Party names should be entered last name first, followed by a comma and a single space, then first name. ");
const QString StreetCommaMessage = QStringLiteral("Street names may not contain commas.");
const QString AddressMessage = QStringLiteral("A valid address requires a street, city, state and zip-code.");
const QString CityStateZipMessage = QStringLiteral("Invalid city, state or zip-code.");
const QString GenderMessage = QStringLiteral("Invalid gender.");
// Why nothing can be saved when no party is loaded.
const QString NothingLoadedMessage = QStringLiteral("No party is loaded, so there is nothing to save.");
const QString NotLoadedMessage = QStringLiteral("Party #%1 could not be loaded, so it cannot be saved.");
const QString HeldMessage = QStringLiteral("Party #%1 is in use by %2, so it cannot be saved.");
const QString ViewOnlyMessage =
    QStringLiteral("%1 is open for viewing only, so it cannot be saved. Open it again for editing to save it.");
const QString NoKeyMessage = QStringLiteral(
    "The new party was not saved: other users were saving new parties under the same keys. Save it again.");

} // namespace

PartyEditor::PartyEditor(QWidget *parent)
    : EditorWidget(parent)
{
    createFields();
    configureLists();
    connectNotifications();
    resize(sizeHint());
}

PartyEditor::~PartyEditor()
{
    // Closing never fails; a control that never loaded has nothing to close.
    for (auto *table : {adoPRBPTY.get(), adoPRBSQL.get(), adoZIPDTA.get()}) {
        if (table)
            table->Close();
    }
}

QSize PartyEditor::sizeHint() const
{
    return QSize(Twips::toPixels(DesignWidth), Twips::toPixels(DesignHeight));
}

QGroupBox *PartyEditor::addFrame(const QString &name, const QString &caption, int left, int top, int width, int height)
{
    auto *frame = new QGroupBox(caption, this);
    frame->setObjectName(name);
    QFont bold = designFont();
    bold.setBold(true);
    frame->setFont(bold);
    frame->setGeometry(Twips::toPixels(left, top, width, height));
    m_controls << frame;
    return frame;
}

void PartyEditor::place(QWidget *field, QGroupBox *frame, const QString &name, int left, int top, int width, int height)
{
    field->setParent(frame);
    field->setObjectName(name);
    field->setFont(designFont());
    field->setGeometry(Twips::toPixels(left, top, width, height));
    m_controls << field;
}

void PartyEditor::addCaption(QGroupBox *frame, QWidget *field, const QString &caption, int left, int top)
{
    auto *label = new QLabel(caption, frame);
    label->setObjectName(QStringLiteral("lblDemo_%1").arg(lblDemo.size()));
    label->setFont(designFont());
    const QRect fieldRect = field->geometry();
    const int x = Twips::toPixels(left);
    label->setGeometry(x, Twips::toPixels(top), qMax(10, fieldRect.left() - x - 2), fieldRect.height());
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setBuddy(field);  // the label's accelerator focuses its field
    QString name = caption;
    field->setAccessibleName(name.remove(QLatin1Char('&')).remove(QLatin1Char(':')));
    lblDemo << label;
    m_controls << label;
}

void PartyEditor::createFields()
{
    fraDemo = addFrame(QStringLiteral("fraDemo"), tr("Name and Address"), 0, 0, 9465, 2835);
    fraID = addFrame(QStringLiteral("fraID"), tr("Identification"), 0, 2880, 9465, 795);
    fraAudit = addFrame(QStringLiteral("fraAudit"), tr("Audit"), 0, 3720, 9465, 855);

    txtPTYNAM = new AlphaMericBox;
    place(txtPTYNAM, fraDemo, QStringLiteral("txtPTYNAM"), 1440, 396, 4032, 348);
    addCaption(fraDemo, txtPTYNAM, tr("&Name:"), 360, 396);
    txtPTYST1 = new AlphaMericBox;
    place(txtPTYST1, fraDemo, QStringLiteral("txtPTYST1"), 1440, 880, 4032, 348);
    addCaption(fraDemo, txtPTYST1, tr("Stree&t 1:"), 360, 880);
    txtPTYST2 = new AlphaMericBox;
    place(txtPTYST2, fraDemo, QStringLiteral("txtPTYST2"), 1440, 1364, 4032, 348);
    addCaption(fraDemo, txtPTYST2, tr("Street 2:"), 360, 1380);
    cboPTYCTY = new Combo;
    place(cboPTYCTY, fraDemo, QStringLiteral("cboPTYCTY"), 1440, 1848, 1812, 348);
    addCaption(fraDemo, cboPTYCTY, tr("Cit&y:"), 360, 1848);
    cboPTYSTA = new Combo;
    place(cboPTYSTA, fraDemo, QStringLiteral("cboPTYSTA"), 4440, 1845, 915, 345);
    addCaption(fraDemo, cboPTYSTA, tr("State:"), 3540, 1845);
    zipPTYZIP = new ZipCode;
    place(zipPTYZIP, fraDemo, QStringLiteral("zipPTYZIP"), 7440, 1845, 1575, 345);
    addCaption(fraDemo, zipPTYZIP, tr("&Zip:"), 6480, 1845);
    phnPTYHOMPHN = new PhoneNumber;
    place(phnPTYHOMPHN, fraDemo, QStringLiteral("phnPTYHOMPHN"), 1440, 2340, 1815, 345);
    addCaption(fraDemo, phnPTYHOMPHN, tr("&Home phone:"), 360, 2340);
    phnPTYCELPHN = new PhoneNumber;
    place(phnPTYCELPHN, fraDemo, QStringLiteral("phnPTYCELPHN"), 4440, 2340, 1815, 345);
    addCaption(fraDemo, phnPTYCELPHN, tr("Ce&ll phone:"), 3540, 2340);
    phnPTYWRKPHN = new PhoneNumber;
    place(phnPTYWRKPHN, fraDemo, QStringLiteral("phnPTYWRKPHN"), 7440, 2340, 1815, 345);
    addCaption(fraDemo, phnPTYWRKPHN, tr("&Work phone:"), 6480, 2340);

    dtpPTYBDT = new DatePicker;
    place(dtpPTYBDT, fraID, QStringLiteral("dtpPTYBDT"), 1440, 300, 1392, 348);
    addCaption(fraID, dtpPTYBDT, tr("DO&B:"), 360, 300);
    cboPTYSEX = new Combo;
    place(cboPTYSEX, fraID, QStringLiteral("cboPTYSEX"), 4800, 300, 1215, 345);
    addCaption(fraID, cboPTYSEX, tr("Se&x:"), 3900, 300);

    lblPTYUSR = new DataLabel;
    place(lblPTYUSR, fraAudit, QStringLiteral("lblPTYUSR"), 1440, 360, 675, 345);
    addCaption(fraAudit, lblPTYUSR, tr("User ID:"), 360, 360);
    lblPTYUDT = new DataLabel;
    place(lblPTYUDT, fraAudit, QStringLiteral("lblPTYUDT"), 4800, 360, 1215, 345);
    lblPTYUDT->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    addCaption(fraAudit, lblPTYUDT, tr("Date:"), 3900, 360);

    txtPTYNAM->setCaseType(1);
    txtPTYNAM->setMaxLength(20);
    txtPTYST1->setCaseType(1);
    txtPTYST1->setMaxLength(30);
    txtPTYST2->setCaseType(1);
    txtPTYST2->setMaxLength(30);
    zipPTYZIP->setHighlightOnFocus(true);
    dtpPTYBDT->setMinDate(QDate(1601, 1, 1));
    dtpPTYBDT->setMaxDate(QDate(9999, 12, 31));

    const QList<QWidget *> tabOrder{txtPTYNAM, txtPTYST1, txtPTYST2, cboPTYCTY, cboPTYSTA, zipPTYZIP,
                                    phnPTYHOMPHN, phnPTYCELPHN, phnPTYWRKPHN, dtpPTYBDT, cboPTYSEX};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder.at(i - 1), tabOrder.at(i));
}

void PartyEditor::configureLists()
{
    cboPTYCTY->setRecordSource(Statements::CityListSource);
    cboPTYCTY->setCols(3);
    cboPTYCTY->setHeaderCaptions({tr("City"), tr("State"), tr("Zip")});
    cboPTYCTY->setMaxLength(15);
    cboPTYCTY->setMaxRecords(150);
    cboPTYCTY->setSearchList(true);
    cboPTYCTY->setBoldDisplayColumn(true);
    cboPTYCTY->model().setColumnDigits(QStringLiteral("ZIPKEY"), 5);  // a zip is five digits, 01101 too

    cboPTYSTA->setRecordSource(Statements::StateListSource);
    cboPTYSTA->setCols(3);
    cboPTYSTA->setHeaderCaptions({tr("Code"), tr("State"), tr("Country")});
    cboPTYSTA->setMaxLength(2);
    cboPTYSTA->setMaxRecords(250);
    cboPTYSTA->setMinCharsToActivate(0);
    cboPTYSTA->setBoldDisplayColumn(true);

    cboPTYSEX->setRecordSource(Statements::SexListSource);
    cboPTYSEX->setCols(2);
    cboPTYSEX->setHeaderCaptions({tr("Code"), tr("Sex")});
    cboPTYSEX->setCaseType(0);
    cboPTYSEX->setColumnHeaders(false);
    cboPTYSEX->setMinCharsToActivate(1);
    cboPTYSEX->setDisplayColumn(1);

    // The lists' own table objects fail through the control's Error too.
    for (Combo *combo : {cboPTYCTY, cboPTYSTA, cboPTYSEX})
        forwardErrors(combo->tableObject());
    forwardErrors(zipPTYZIP->tableObject());
}

void PartyEditor::connectNotifications()
{
    for (AlphaMericBox *box : {txtPTYNAM, txtPTYST1, txtPTYST2})
        connect(box, &AlphaMericBox::Change, this, &PartyEditor::Change);
    for (AlphaMericBox *street : {txtPTYST1, txtPTYST2}) {
        connect(street, &AlphaMericBox::Validate, this,
                [this](bool &) { AddressFunctions::CompactStreetLines(txtPTYST1, txtPTYST2); });
    }
    connect(cboPTYCTY, &Combo::Change, this, &PartyEditor::cityChosen);
    for (Combo *combo : {cboPTYSTA, cboPTYSEX})
        connect(combo, &Combo::Change, this, &PartyEditor::Change);
    connect(zipPTYZIP, &ZipCode::Change, this, &PartyEditor::Change);
    connect(zipPTYZIP, &ZipCode::ZipEntered, this, &PartyEditor::zipEntered);
    for (PhoneNumber *phone : {phnPTYHOMPHN, phnPTYCELPHN, phnPTYWRKPHN})
        connect(phone, &PhoneNumber::Change, this, &PartyEditor::Change);
    connect(dtpPTYBDT, &DatePicker::Change, this, &PartyEditor::Change);
}

bool PartyEditor::reportsError(int number) const
{
    return !(m_keyConflictExpected && number == DataAccessError::DuplicateKey);
}





void PartyEditor::applyEnabled(bool enabled)
{
    EnableControls(enabled);
}

void PartyEditor::EnableControls(bool NewEnabled)
{
    for (QWidget *child : std::as_const(m_controls)) {
        if (qobject_cast<QGroupBox *>(child))
            child->setEnabled(Enabled() ? true : NewEnabled);
        else
            child->setEnabled(NewEnabled);
    }
}

void PartyEditor::ReadProperties(const PropertyBag &bag)
{
    readEnabled(bag);
}

void PartyEditor::WriteProperties(PropertyBag &bag) const
{
    writeEnabled(bag);
}

void PartyEditor::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int frameWidth = width() - Twips::toPixels(FrameMargin);
    for (QGroupBox *frame : {fraDemo, fraID, fraAudit})
        frame->resize(frameWidth, frame->height());
}

void PartyEditor::LoadLists()
{
    cboPTYSEX->LoadList();
    cboPTYSTA->LoadList();
}

QVariant PartyEditor::ClearRecord()
{
    txtPTYNAM->setText(QString());
    txtPTYST1->setText(QString());
    txtPTYST2->setText(QString());
    cboPTYCTY->setText(QString());
    cboPTYSTA->setText(QString());
    zipPTYZIP->setValue(0);
    phnPTYHOMPHN->setValue(0);
    phnPTYCELPHN->setValue(0);
    phnPTYWRKPHN->setValue(0);
    dtpPTYBDT->setValue(0);
    cboPTYSEX->setValue(QVariant());
    lblPTYUSR->setCaption(QString());
    lblPTYUDT->setCaption(QString());
    return QVariant();
}

bool PartyEditor::AddRecord(const QString &NewPartyName, qint32 PartyDOB)
{
    return LoadRecord(0, NewPartyName, PartyDOB);
}

bool PartyEditor::LoadRecord(qint32 NewPartyKey, const QString &NewPartyName, qint32 NewPartyDOB)
{
    PartyKey = NewPartyKey;
    // Until this load succeeds, the fields may show another party than the
    // key: nothing may be written. An accepted duplicate was for that party.
    m_partyLoaded = false;
    m_partyHeld = false;
    m_duplicateAccepted = false;
    // Only what was loaded for editing may be written (see mayWrite).
    m_loadedForEditing = UserMode == EditMode;

    // New table objects; the previous ones go, and with them the lock they held.
    createTables();
    prepareFields();

    bool result = true;
    if (PartyKey != 0) {
        adoPRBPTY->Execute(Statements::LoadPartyForUpdate, QVariantList{PartyKey});
        if (adoPRBPTY->RecordLocked()) {
            Q_EMIT LockError();
            SetEnabled(false);
            result = false;
        } else if (adoPRBPTY->Eof()) {
            result = false;
        } else {
            m_partyHeld = true;
            showParty(*adoPRBPTY);
        }
    } else {
        ClearRecord();
        txtPTYNAM->setText(NewPartyName);
        dtpPTYBDT->setValue(NewPartyDOB);
    }
    m_partyLoaded = result;

    if (Enabled()) {
        EnableControls(UserMode == EditMode);
        if (txtPTYNAM->isEnabled())
            txtPTYNAM->setFocus(Qt::OtherFocusReason);
    }
    return result;
}

void PartyEditor::createTables()
{
    adoPRBPTY = std::make_unique<TableObject>();
    adoPRBSQL = std::make_unique<TableObject>();
    adoZIPDTA = std::make_unique<TableObject>();
    for (TableObject *table : {adoPRBPTY.get(), adoPRBSQL.get(), adoZIPDTA.get()})
        forwardErrors(*table);
}

void PartyEditor::prepareFields()
{
    LoadLists();
    dtpPTYBDT->setMinDate(QDate(1901, 1, 1));
    dtpPTYBDT->setMaxDate(Clock::today());
    cboPTYSEX->setColumnWidth(QStringLiteral("SEXCOD"), 0);
}

bool PartyEditor::ViewRecord(qint32 NewPartyKey)
{
    // The row is read by the auxiliary table object, so that whatever the
    // last load learned of the party's lock (LockedBy) stays known.
    if (!adoPRBPTY)
        createTables();
    prepareFields();
    PartyKey = NewPartyKey;
    m_partyLoaded = false;
    m_partyHeld = false;
    adoPRBSQL->Execute(Statements::LoadParty, QVariantList{PartyKey});
    const bool found = !adoPRBSQL->Eof();
    if (found)
        showParty(*adoPRBSQL);
    if (Enabled())
        EnableControls(false);
    return found;
}

void PartyEditor::showParty(TableObject &row)
{
    txtPTYNAM->setText(textOf(row.FieldValue(QStringLiteral("PTYNAM"))));
    txtPTYST1->setText(textOf(row.FieldValue(QStringLiteral("PTYST1"))));
    txtPTYST2->setText(textOf(row.FieldValue(QStringLiteral("PTYST2"))));
    cboPTYCTY->setText(textOf(row.FieldValue(QStringLiteral("PTYCTY"))));
    cboPTYSTA->setText(textOf(row.FieldValue(QStringLiteral("PTYSTA"))));
    zipPTYZIP->setValue(integerOf(row.FieldValue(QStringLiteral("PTYZIP"))));
    phnPTYHOMPHN->setValue(doubleOf(row.FieldValue(QStringLiteral("PTYHOMPHN"))));
    phnPTYCELPHN->setValue(doubleOf(row.FieldValue(QStringLiteral("PTYCELPHN"))));
    phnPTYWRKPHN->setValue(doubleOf(row.FieldValue(QStringLiteral("PTYWRKPHN"))));
    dtpPTYBDT->setValue(integerOf(row.FieldValue(QStringLiteral("PTYBDT"))));
    cboPTYSEX->setValue(row.FieldValue(QStringLiteral("PTYSEX")));
    lblPTYUSR->setCaption(textOf(row.FieldValue(QStringLiteral("PTYUSR"))));
    lblPTYUDT->setCaption(DateTimeFunctions::ChangeDateText(integerOf(row.FieldValue(QStringLiteral("PTYUDT")))));
}

std::optional<LockHolder> PartyEditor::LockedBy() const
{
    return adoPRBPTY ? adoPRBPTY->LockedBy() : std::nullopt;
}

void PartyEditor::cityChosen()
{
    if (cboPTYCTY->MatchFound() && cboPTYCTY->RowNumber() > 0) {
        bool isNumber = false;
        const int zip = cboPTYCTY->Columns(QStringLiteral("ZIPKEY")).toString().toInt(&isNumber);
        if (isNumber) {
            zipPTYZIP->setZipProper(zip);
            cboPTYSTA->setValue(cboPTYCTY->Columns(QStringLiteral("ZIPSTA")).toString());
        }
    }
    Q_EMIT Change();
}

void PartyEditor::zipEntered()
{
    if (zipPTYZIP->HasZipRow()) {
        cboPTYCTY->setText(zipPTYZIP->ZipColumn(QStringLiteral("ZIPCTY")));
        cboPTYSTA->setValue(zipPTYZIP->ZipColumn(QStringLiteral("ZIPSTA")));
    }
    Q_EMIT Change();
}

bool PartyEditor::HasErrors()
{
    using namespace FormFunctions;
    if (!m_partyLoaded) {
        // Nothing is loaded that could be saved; the user is told why.
        QString reason = NothingLoadedMessage;
        if (adoPRBPTY && adoPRBPTY->RecordLocked())
            reason = HeldMessage.arg(QString::number(PartyKey), LockedBy().value_or(LockHolder()).describe());
        else if (adoPRBPTY && PartyKey != 0)
            reason = NotLoadedMessage.arg(PartyKey);
        MessageService::instance().showMessage(this, reason, MessageService::ErrorTitle);
        return true;
    }

    if (RequiredTextMissing(txtPTYNAM))
        return true;
    if (txtPTYNAM->Text().indexOf(QStringLiteral(", ")) < 1) {
        ShowFieldError(txtPTYNAM, NameFormatMessage);
        return true;
    }
    AddressFunctions::CompactStreetLines(txtPTYST1, txtPTYST2);
    if (RequiredTextMissing(txtPTYST1))
        return true;
    for (AlphaMericBox *street : {txtPTYST1, txtPTYST2}) {
        if (street->Text().contains(QLatin1Char(','))) {
            ShowFieldError(street, StreetCommaMessage);
            return true;
        }
    }
    if (!AddressFunctions::AddressComplete(txtPTYST1->Text(), cboPTYCTY->Text(), cboPTYSTA->Text(),
                                           zipPTYZIP->ZipProper())) {
        ShowFieldError(txtPTYST1, AddressMessage);
        return true;
    }
    if (!AddressFunctions::CityStateZipValid(*adoZIPDTA, cboPTYCTY->Text(), cboPTYSTA->Text(), zipPTYZIP->ZipProper())) {
        ShowFieldError(cboPTYCTY, CityStateZipMessage);
        return true;
    }
    if (RequiredLongMissing(dtpPTYBDT))
        return true;
    if (!cboPTYSEX->MatchFound()) {
        ShowFieldError(cboPTYSEX, GenderMessage);
        return true;
    }

    bool streetDiffers = false;
    bool found = false;
    FindDuplicate(streetDiffers, found);
    if (found) {
        const QString message = QStringLiteral("Duplicate of party #%1:%2")
                                    .arg(textOf(adoPRBSQL->FieldValue(QStringLiteral("PTYKEY"))),
                                         textOf(adoPRBSQL->FieldValue(QStringLiteral("PTYNAM"))));
        if (!streetDiffers) {
            ShowFieldError(txtPTYNAM, message);
            return true;
        }
        if (!m_duplicateAccepted) {
            if (!MessageService::instance().askYesNo(this, message + QStringLiteral(" Override?"), MessageService::ErrorTitle))
                return true;
            m_duplicateAccepted = true;
        }
    }
    return false;
}

void PartyEditor::FindDuplicate(bool &StreetDiffers, bool &Found)
{
    Found = false;
    const ParsedName name = ParseName(txtPTYNAM->Text());
    const QString shortPattern = name.LastName + QStringLiteral(", ") + name.FirstName + QLatin1Char('%');
    const qint32 birthDate = dtpPTYBDT->Value();
    const QVariant sex = cboPTYSEX->Value();

    adoPRBSQL->Execute(Statements::DuplicatePartyWithStreet,
                       QVariantList{PartyKey, shortPattern, birthDate, sex, txtPTYST1->Text()});
    if (adoPRBSQL->BOF())
        return;
    if (adoPRBSQL->Eof()) {
        StreetDiffers = true;
        adoPRBSQL->Execute(Statements::DuplicateParty,
                           QVariantList{PartyKey, txtPTYNAM->Text() + QLatin1Char('%'), birthDate, sex});
        if (adoPRBSQL->Eof())
            adoPRBSQL->Execute(Statements::DuplicateParty, QVariantList{PartyKey, shortPattern, birthDate, sex});
    }
    Found = !adoPRBSQL->Eof();
}

QVariantList PartyEditor::partyValues() const
{
    // No text goes as NULL: an empty field, the country and further postal
    // code (not kept here) and a user the host never named are empty text.
    return {storedText(txtPTYNAM->Text()),
            storedText(txtPTYST1->Text()),
            storedText(txtPTYST2->Text()),
            storedText(cboPTYCTY->Text()),
            storedText(cboPTYSTA->Text()),
            zipPTYZIP->Value(),
            QStringLiteral(""),
            QStringLiteral(""),
            phnPTYHOMPHN->Value(),
            phnPTYWRKPHN->Value(),
            phnPTYCELPHN->Value(),
            dtpPTYBDT->Value(),
            storedText(cboPTYSEX->Value().toString()),
            DateTimeFunctions::DateToNumber(Clock::now(), QString(), QStringLiteral("MMddyyyy")),
            storedText(UserID),
            PartyKey};
}

bool PartyEditor::mayWrite() const
{
    return m_partyLoaded && m_loadedForEditing && UserMode == EditMode;
}

bool PartyEditor::SaveRecord()
{
    // A viewer's save runs nothing, the checks' statements included, and
    // says why; a party that is not loaded is explained by HasErrors.
    if (m_partyLoaded && !mayWrite()) {
        const QString party = PartyKey != 0 ? QStringLiteral("Party #%1").arg(PartyKey) : QStringLiteral("The new party");
        MessageService::instance().showMessage(this, ViewOnlyMessage.arg(party), MessageService::ErrorTitle);
        return false;
    }
    // A new party whose insert went unanswered is looked for first: stored,
    // it is no likely duplicate of itself.
    if (PartyKey == 0 && m_unansweredKey != 0 && storedUnanswered(partyValues()))
        return holdParty();
    if (HasErrors())
        return false;
    if (PartyKey != 0) {
        if (!holdParty())
            return false;
        adoPRBPTY->setSQL(Statements::UpdateParty);
        // A party another user deleted meanwhile is not saved by an update
        // that finds no row: the save fails instead of claiming success.
        return adoPRBPTY->Execute(QString(), partyValues(), true, true) == 1;
    }
    return insertUnderNextKey(partyValues());
}

bool PartyEditor::insertUnderNextKey(QVariantList values)
{
    adoPRBPTY->setSQL(Statements::InsertParty);
    qint32 tried = 0;  // the last key tried; the next attempt goes past it
    bool collided = false;
    for (int attempt = 1; attempt <= KeyAttempts; ++attempt) {
        if (collided) {
            // Step out of the other editor's rhythm before trying again.
            QThread::msleep(QRandomGenerator::global()->bounded(1u, 4u * unsigned(attempt)));
        }
        adoPRBSQL->Execute(Statements::NextPartyKey, QVariant(), true, true);
        const qint32 next = adoPRBSQL->BOF() || adoPRBSQL->Eof()
                                ? 1
                                : integerOf(adoPRBSQL->FieldValue(QStringLiteral("MAXPTYKEY"))) + 1;
        PartyKey = qMax(next, tried + 1);
        tried = PartyKey;
        values.last() = PartyKey;
        // The new key's lock comes first: a lock that cannot be had leaves
        // nothing written, and a party that is written is held from then on,
        // as a loaded one is, so that nobody else edits it while this editor
        // may still save it again. Another editor may hold the key already
        // (saving a new party at the same moment, or still holding one that
        // is no longer on file, as after a restore): then the next one is tried.
        try {
            if (!adoPRBPTY->ReserveRow(Schema::PartyTable, {PartyKey})) {
                collided = false;
                continue;
            }
        } catch (const DataAccessError &) {
            PartyKey = 0;
            throw;
        }
        // ... or may have written it without its lock (a host of another
        // kind): then too the next key is tried, and only the last attempt's
        // failure is reported.
        m_keyConflictExpected = attempt < KeyAttempts;
        try {
            adoPRBPTY->Execute(QString(), values, true, true);
            m_keyConflictExpected = false;
            m_partyHeld = true;
            return true;
        } catch (const DataAccessError &error) {
            m_keyConflictExpected = false;
            if (error.number() == DataAccessError::ConnectionFailed)
                m_unansweredKey = PartyKey;
            PartyKey = 0;  // nothing was saved under the key tried (as far as is known)
            adoPRBPTY->Close();  // nor is its lock kept
            if (error.number() != DataAccessError::DuplicateKey || attempt >= KeyAttempts)
                throw;
            collided = true;
        }
    }
    // Every key tried was held by other editors saving new parties.
    PartyKey = 0;
    adoPRBPTY->Close();
    MessageService::instance().showMessage(this, NoKeyMessage, MessageService::ErrorTitle);
    return false;
}

bool PartyEditor::storedUnanswered(QVariantList values)
{
    // A server that stops answering may have taken the insert all the same
    // and store it once it runs again: a second insert would store the
    // party twice. The row under the key is this editor's party when it
    // holds what was saved (the change date aside, which may have turned).
    const qint32 key = std::exchange(m_unansweredKey, 0);
    adoPRBSQL->Execute(Statements::LoadParty, QVariantList{key});
    if (adoPRBSQL->Eof())
        return false;
    static const QStringList columns =
        Statements::InsertParty.section(QLatin1Char('('), 1, 1).section(QLatin1Char(')'), 0, 0).split(QLatin1Char(','));
    values.last() = key;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (columns.at(i) != QLatin1String("PTYUDT")
            && adoPRBSQL->FieldValue(columns.at(i)).toString() != values.at(i).toString())
            return false;
    }
    PartyKey = key;
    return true;
}

bool PartyEditor::holdParty()
{
    // The party's lock is checked, not assumed, before anything is written:
    // one lost with its connection (a server restart) is taken again, and
    // a party that another user took meanwhile is not written over.
    if (adoPRBPTY->ReserveRow(Schema::PartyTable, {PartyKey})) {
        m_partyHeld = true;
        return true;
    }
    m_partyHeld = false;
    Q_EMIT LockError();
    MessageService::instance().showMessage(
        this, HeldMessage.arg(QString::number(PartyKey), LockedBy().value_or(LockHolder()).describe()),
        MessageService::ErrorTitle);
    return false;
}

bool PartyEditor::DeleteRecord()
{
    // It asks nothing, so a refusal for the mode says nothing either: the
    // host knows the mode. A party whose lock was lost and that another user
    // has taken meanwhile is not deleted under them (LockError, and a word).
    if (!mayWrite() || !holdParty())
        return false;
    return adoPRBPTY->Execute(Statements::DeleteParty, QVariantList{PartyKey}, true, true) == 1;
}

} // namespace Torva
