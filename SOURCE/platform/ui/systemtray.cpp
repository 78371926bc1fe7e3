#include "platform/ui/systemtray.h"

#include <QCursor>
#include <QSystemTrayIcon>

namespace {

class DesktopTray : public SystemTray {
public:
    DesktopTray()
    {
        QObject::connect(
            &m_icon, &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason reason) {
                if (const auto event = TrayEventOf(reason); event && activated)
                    activated(*event, QCursor::pos());
            });
    }
    bool IsAvailable() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }
    bool Show(const QIcon& icon, const QString& tip) override
    {
        if (!IsAvailable())
            return false;
        m_icon.setIcon(icon);
        m_icon.setToolTip(tip);
        m_icon.show();
        return true;
    }
    void Remove() override { m_icon.hide(); }

private:
    QSystemTrayIcon m_icon;
};

SystemTrayFactory& Factory()
{
    static SystemTrayFactory factory;
    return factory;
}

}  // namespace

std::optional<SystemTray::Event> TrayEventOf(int activationReason)
{
    switch (activationReason) {
    case QSystemTrayIcon::Context:
        return SystemTray::Event::ContextMenu;
    // Many panels pass on single clicks only.
    case QSystemTrayIcon::Trigger:
        return SystemTray::Event::Click;
    case QSystemTrayIcon::DoubleClick:
        return SystemTray::Event::DoubleClick;
    default:
        return std::nullopt;
    }
}

std::unique_ptr<SystemTray> CreateSystemTray()
{
    if (Factory())
        return Factory()();
    return std::make_unique<DesktopTray>();
}

void SetSystemTrayFactory(SystemTrayFactory factory)
{
    Factory() = std::move(factory);
}
