#include "editing/addressformatdlg.h"

#include "controls/contexthelp.h"
#include "controls/flatbutton.h"
#include "core/addressformat.h"
#include "core/utilities.h"
#include "platform/ui/window.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QVBoxLayout>

namespace {

constexpr u32 IDS_TEMPLATE_FULL = 59568;
constexpr u32 IDS_FORMAT_NAME_MISSING = 59673;
constexpr u32 IDS_POSTAL_TEMPLATE = 59680;
constexpr u32 IDS_BUSINESS_TEMPLATE = 59681;
constexpr u32 IDS_HOME_TEMPLATE = 59682;

// The template edit's least size, in dialog units.
constexpr int kTemplateWidth = 180;
constexpr int kTemplateHeight = 70;

const QString kNewLineToken = QStringLiteral("[NL]");

QString TokenOf(u32 captionId)
{
    return QLatin1Char('[') + QString::fromStdString(LoadResString(captionId)) + QLatin1Char(']');
}

qsizetype StoredSize(const QString& shown)
{
    return FormatTemplate::ForStorage(shown).toUtf8().size();
}

// Cut to what the record's field holds, never inside a character.
QString FitName(QString name)
{
    while (name.toUtf8().size() > CDialogAddressFormat::kNameLimit) {
        name.chop(1);
        if (!name.isEmpty() && name.back().isHighSurrogate())
            name.chop(1);
    }
    return name;
}

}  // namespace

namespace FormatTemplate {

QString ForDisplay(const QString& stored)
{
    QString shown = ForStorage(stored);
    shown.replace(kNewLineToken, kNewLineToken + QLatin1Char('\n'));
    return shown;
}

QString ForStorage(const QString& shown)
{
    QString stored = shown;
    stored.remove(QLatin1Char('\r'));
    stored.remove(QLatin1Char('\n'));
    return stored;
}

QString DefaultTemplate(int preset)
{
    const u32 id = preset == 1 ? IDS_BUSINESS_TEMPLATE
        : preset == 2          ? IDS_HOME_TEMPLATE
                               : IDS_POSTAL_TEMPLATE;
    return QString::fromStdString(LoadResString(id));
}

int InsertToken(QString& shown, int position, const QString& token)
{
    position = std::clamp(position, 0, int(shown.size()));
    const qsizetype next = shown.indexOf(QLatin1Char('['), position);
    const int at = next < 0 ? int(shown.size()) : int(next);
    QString text = token;
    if (token == kNewLineToken)
        text += QLatin1Char('\n');
    shown.insert(at, text);
    return at + int(text.size());
}

int RemoveToken(QString& shown, int selectionStart, int selectionEnd)
{
    const int size = int(shown.size());
    selectionStart = std::clamp(selectionStart, 0, size);
    selectionEnd = std::clamp(selectionEnd, selectionStart, size);
    const qsizetype close = shown.indexOf(QLatin1Char(']'), selectionEnd);
    int end = close < 0 ? size : int(close) + 1;
    if (end < size && shown.at(end) == QLatin1Char('\n'))
        ++end;
    const qsizetype open = selectionStart < size ? shown.lastIndexOf(QLatin1Char('['), selectionStart)
                                                 : shown.lastIndexOf(QLatin1Char('['));
    const int start = open < 0 ? 0 : int(open);
    shown.remove(start, end - start);
    return start;
}

}  // namespace FormatTemplate

CDialogAddressFormat::CDialogAddressFormat(QWidget* parent)
    : CFramedDialog(kTemplateId, parent)
    , m_name(new QLineEdit(Frame()))
    , m_tokens(new QComboBox(Frame()))
    , m_template(new QPlainTextEdit(Frame()))
    , m_add(new CFlatButton(QStringLiteral("&Add"), Frame()))
    , m_remove(new CFlatButton(QStringLiteral("&Remove"), Frame()))
    , m_default(new CFlatButton(QStringLiteral("&Default"), Frame()))
    , m_ok(new CFlatButton(QStringLiteral("OK"), Frame()))
    , m_cancel(new CFlatButton(QStringLiteral("Cancel"), Frame()))
{
    SetDlgCtrlID(m_name, kNameId);
    SetDlgCtrlID(m_tokens, kTokenListId);
    SetDlgCtrlID(m_template, kTemplateEditId);
    SetDlgCtrlID(m_add, kAddId);
    SetDlgCtrlID(m_remove, kRemoveId);
    SetDlgCtrlID(m_default, kDefaultId);
    SetDlgCtrlID(m_ok, IDOK);
    SetDlgCtrlID(m_cancel, IDCANCEL);
    setWindowTitle(QStringLiteral("Address Format Fields"));
    Caption()->setText(QStringLiteral("Address Format Fields"));
    m_name->setMaxLength(kNameLimit);
    // Read-only, but with a caret the keyboard moves, so that a token can
    // be chosen for removal or as the place of the next one.
    m_template->setReadOnly(true);
    m_template->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_template->setTabChangesFocus(true);
    m_template->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_template->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_template->setMinimumSize(
        DialogUnitsToPixelsX(this, kTemplateWidth), DialogUnitsToPixelsY(this, kTemplateHeight));
    m_ok->setDefault(true);

    auto* nameLabel = new QLabel(QStringLiteral("&Name:"), Frame());
    nameLabel->setBuddy(m_name);
    auto* fieldLabel = new QLabel(QStringLiteral("&Field:"), Frame());
    fieldLabel->setBuddy(m_tokens);
    auto* grid = new QGridLayout;
    grid->addWidget(nameLabel, 0, 0);
    grid->addWidget(m_name, 0, 1);
    grid->addWidget(fieldLabel, 1, 0);
    grid->addWidget(m_tokens, 1, 1);
    grid->addWidget(m_add, 1, 2);
    grid->addWidget(m_template, 2, 0, 1, 2);
    auto* side = new QVBoxLayout;
    side->addWidget(m_remove);
    side->addWidget(m_default);
    side->addStretch(1);
    grid->addLayout(side, 2, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(Frame());
    layout->addLayout(grid, 1);
    layout->addLayout(buttons);
    setTabOrder(m_name, m_tokens);
    setTabOrder(m_tokens, m_add);
    setTabOrder(m_add, m_template);
    setTabOrder(m_template, m_remove);
    setTabOrder(m_remove, m_default);
    setTabOrder(m_default, m_ok);
    setTabOrder(m_ok, m_cancel);

    connect(m_add, &QPushButton::clicked, this, &CDialogAddressFormat::OnAdd);
    connect(m_remove, &QPushButton::clicked, this, &CDialogAddressFormat::OnRemove);
    connect(m_default, &QPushButton::clicked, this, &CDialogAddressFormat::OnDefault);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    EnableContextHelp(this,
        {{kNameId, 1180}, {kTokenListId, 1175}, {kAddId, 1176}, {kDefaultId, 1177}, {kRemoveId, 1178},
            {kTemplateEditId, 1179}});
}

bool CDialogAddressFormat::OnInitDialog()
{
    CFramedDialog::OnInitDialog();
    m_tokens->clear();
    for (u32 id : kAddressFormatTokenIds)
        m_tokens->addItem(QString::fromStdString(LoadResString(id)));
    m_tokens->setCurrentIndex(0);
    const QString stored = QString::fromStdString(m_strFormat);
    ShowTemplate(
        FormatTemplate::ForDisplay(stored.isEmpty() ? FormatTemplate::DefaultTemplate(m_nPreset) : stored),
        0);
    m_name->setText(QString::fromStdString(m_strName));
    m_name->setFocus();
    return true;
}

QString CDialogAddressFormat::ShownTemplate() const
{
    return m_template->toPlainText();
}

void CDialogAddressFormat::ShowTemplate(const QString& shown, int caret)
{
    m_template->setPlainText(shown);
    QTextCursor cursor = m_template->textCursor();
    cursor.setPosition(std::clamp(caret, 0, int(shown.size())));
    m_template->setTextCursor(cursor);
    m_template->ensureCursorVisible();
}

void CDialogAddressFormat::OnAdd()
{
    const int index = m_tokens->currentIndex();
    if (index < 0 || index >= int(std::size(kAddressFormatTokenIds)))
        return;
    const QString token = TokenOf(kAddressFormatTokenIds[index]);
    QString shown = ShownTemplate();
    // The record keeps the template without line breaks in a field of this size.
    if (StoredSize(shown) + token.toUtf8().size() > kTemplateLimit) {
        MsgStop(IDS_TEMPLATE_FULL, this);
        return;
    }
    const int caret = FormatTemplate::InsertToken(shown, m_template->textCursor().selectionStart(), token);
    ShowTemplate(shown, caret);
}

void CDialogAddressFormat::OnRemove()
{
    const QTextCursor cursor = m_template->textCursor();
    QString shown = ShownTemplate();
    const int caret = FormatTemplate::RemoveToken(shown, cursor.selectionStart(), cursor.selectionEnd());
    ShowTemplate(shown, caret);
}

void CDialogAddressFormat::OnDefault()
{
    ShowTemplate(FormatTemplate::ForDisplay(FormatTemplate::DefaultTemplate(m_nPreset)), 0);
}

void CDialogAddressFormat::OnOK()
{
    const QString name = FitName(m_name->text());
    if (name.trimmed().isEmpty()) {
        MsgStop(IDS_FORMAT_NAME_MISSING, this);
        m_name->setFocus();
        return;
    }
    // Enter on "Add" adds the token and goes on editing.
    if (QApplication::focusWidget() == m_add) {
        OnAdd();
        return;
    }
    QString stored = FormatTemplate::ForStorage(ShownTemplate());
    if (stored.isEmpty())
        stored = FormatTemplate::DefaultTemplate(m_nPreset);
    m_strName = name.toStdString();
    m_strFormat = stored.toStdString();
    EndDialog(IDOK);
}
