// The address-format editor: a name and a template built from field tokens
// ("[Home city]", "[NL]" for a new line), shown one address line per line.
#pragma once

#include "controls/framedialog.h"

#include <QString>
#include <string>

class CFlatButton;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;

// The template as the editor shows it and as the record keeps it. Shown,
// every "[NL]" ends a line; kept, the text holds no line breaks.
namespace FormatTemplate {

QString ForDisplay(const QString& stored);
QString ForStorage(const QString& shown);
// The built-in template that "Default" gives for a preset number: 1 the
// business address, 2 the home address, any other the postal address.
QString DefaultTemplate(int preset);
// Inserts the token at the start of the next token at or after the
// position, so that no token is split. Returns where the token ends.
int InsertToken(QString& shown, int position, const QString& token);
// Cuts out the token around the selection: from the "[" before its start
// to the "]" after its end, with the line break that follows a "]".
// Returns where the cut began.
int RemoveToken(QString& shown, int selectionStart, int selectionEnd);

}  // namespace FormatTemplate

class CDialogAddressFormat : public CFramedDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 153;
    static constexpr int kAddId = 1578;
    static constexpr int kDefaultId = 1579;
    static constexpr int kTokenListId = 1581;
    static constexpr int kTemplateEditId = 1582;
    static constexpr int kRemoveId = 1583;
    static constexpr int kNameId = 1643;
    // What the record's fields hold besides their terminating zero.
    static constexpr int kNameLimit = 55;
    static constexpr int kTemplateLimit = 255;

    explicit CDialogAddressFormat(QWidget* parent = nullptr);

    // Set by the caller; read back after OK (the template without line
    // breaks).
    std::string m_strFormat;
    std::string m_strName;
    int m_nPreset = 0;

    QLineEdit* NameEdit() const { return m_name; }
    QComboBox* TokenList() const { return m_tokens; }
    QPlainTextEdit* TemplateEdit() const { return m_template; }
    CFlatButton* AddButton() const { return m_add; }
    // The template as shown.
    QString ShownTemplate() const;

    void OnAdd();
    void OnRemove();
    void OnDefault();

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    void ShowTemplate(const QString& shown, int caret);

    QLineEdit* m_name;
    QComboBox* m_tokens;
    QPlainTextEdit* m_template;
    CFlatButton* m_add;
    CFlatButton* m_remove;
    CFlatButton* m_default;
    CFlatButton* m_ok;
    CFlatButton* m_cancel;
};
