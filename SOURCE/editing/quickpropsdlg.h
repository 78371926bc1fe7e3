// The simple contact editor: names, one home address, a home and a business
// phone and e-mail, a web page, the birthday and notes in one framed
// dialog. Like the full editor it works on a copy and writes back only what
// the user changed.
#pragma once

#include "controls/framedialog.h"
#include "controls/menubutton.h"
#include "core/records.h"
#include "editing/contactrun.h"

#include <memory>
#include <string>

class CDateField;
class CFlatButton;
class CSlotFields;
class DataMan;
class QLineEdit;
class QPlainTextEdit;
class UserMan;

class CDialogQuickProps : public CFramedDialog, public CDropMenuOwner, public CContactRun<CDialogQuickProps> {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 144;
    static constexpr int kSwitchId = 1332;

    CDialogQuickProps(DataMan& dataMan, UserMan& userMan, QWidget* parent = nullptr);
    ~CDialogQuickProps() override;

    // Does what the run's result asks and returns it.
    int Finish(int result);

    QString DisplayName() const { return m_displayName; }

    CSlotFields* Slots() const { return m_slots; }
    QLineEdit* FirstEdit() const { return m_first; }
    QLineEdit* MiddleEdit() const { return m_middle; }
    QLineEdit* LastEdit() const { return m_last; }
    QPlainTextEdit* StreetEdit() const { return m_street; }
    QLineEdit* CityEdit() const { return m_city; }
    QLineEdit* WebEdit() const { return m_web; }
    CDateField* BirthdayField() const { return m_birthday; }
    QPlainTextEdit* NotesEdit() const { return m_notes; }
    CFlatButton* OkButton() const { return m_ok; }
    CFlatButton* SwitchButton() const { return m_switch; }
    CFlatButton* GoButton() const { return m_go; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class CContactRun<CDialogQuickProps>;
    void LoadContact();
    void StoreInto(Contact& contact) const;
    void OnNameEdited();
    void UpdateControls();
    void UpdateTitle();

    DataMan& m_dataMan;
    UserMan& m_userMan;
    CSlotFields* m_slots;
    QLineEdit* m_first;
    QLineEdit* m_middle;
    QLineEdit* m_last;
    QPlainTextEdit* m_street;
    QLineEdit* m_city;
    QLineEdit* m_state;
    QLineEdit* m_zip;
    QLineEdit* m_country;
    QLineEdit* m_web;
    CFlatButton* m_go;
    CDateField* m_birthday;
    QPlainTextEdit* m_notes;
    CFlatButton* m_ok;
    CFlatButton* m_cancel;
    CFlatButton* m_switch;

    QString m_displayName;
    int m_nFormat = 2;
    int m_nLoadedFormat = 2;
    std::string m_loadedWeb;
};
