// The modem provider's two editors: one device's port settings and
// initialisation string, and the dialing location that turns stored
// numbers into what the modem dials.
#pragma once

#include "controls/framedialog.h"
#include "platform/dialingrules.h"
#include "platform/modemport.h"

class CFlatButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

class CDialogModemSettings : public CFramedDialog {
    Q_OBJECT
public:
    CDialogModemSettings(const std::string& deviceName, const ModemConfig& config, QWidget* parent = nullptr);

    const ModemConfig& Config() const { return m_config; }
    QComboBox* SpeedBox() const { return m_speed; }
    QComboBox* FlowBox() const { return m_flow; }
    QLineEdit* InitEdit() const { return m_init; }
    CFlatButton* OkButton() const { return m_ok; }

protected:
    void OnOK() override;

private:
    ModemConfig m_config;
    QComboBox* m_speed;
    QComboBox* m_flow;
    QLineEdit* m_init;
    CFlatButton* m_ok;
};

class CDialogDialingRules : public CFramedDialog {
    Q_OBJECT
public:
    CDialogDialingRules(
        const DialingLocation& location, const std::string& number, QWidget* parent = nullptr);

    const DialingLocation& Location() const { return m_location; }
    QLineEdit* CountryEdit() const { return m_country; }
    QLineEdit* AreaEdit() const { return m_area; }
    QLineEdit* OutsideEdit() const { return m_outside; }
    QRadioButton* PulseButton() const { return m_pulseButton; }
    QLabel* Preview() const { return m_preview; }

protected:
    void OnOK() override;

private:
    DialingLocation Edited() const;
    void UpdatePreview();

    DialingLocation m_location;
    std::string m_number;
    QLineEdit* m_country;
    QLineEdit* m_area;
    QLineEdit* m_outside;
    QLineEdit* m_longDistance;
    QLineEdit* m_international;
    QRadioButton* m_toneButton;
    QRadioButton* m_pulseButton;
    QLabel* m_preview;
};
