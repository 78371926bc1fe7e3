#include "impexp/ui/iefilechooser.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {

class DesktopFileChooser : public IEFileChooser {
public:
    Result Choose(QWidget* parent, bool open, const QString& path, const QString& filter,
        const QString& defaultExtension, QString& chosen) override
    {
        QFileDialog dialog(parent);
        dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        // The wizard asks before it replaces a file, when the page is left.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setNameFilters(NameFilters(filter));
        dialog.setDefaultSuffix(defaultExtension);
        if (!path.isEmpty())
            dialog.selectFile(path);
        if (dialog.exec() != QDialog::Accepted)
            return kCancelled;
        const QStringList files = dialog.selectedFiles();
        if (files.isEmpty())
            return kFailed;
        chosen = files.front();
        return kChosen;
    }
};

IEFileChooser* g_chooser = nullptr;

}  // namespace

IEFileChooser& CurrentFileChooser()
{
    static DesktopFileChooser desktop;
    return g_chooser ? *g_chooser : desktop;
}

IEFileChooser* SetFileChooser(IEFileChooser* chooser)
{
    IEFileChooser* previous = g_chooser;
    g_chooser = chooser;
    return previous;
}

QStringList NameFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i];
    return filters;
}
