// The file dialog of the wizard's Browse button, replaceable so that tests
// choose files without a window.
#pragma once

#include <QString>

class QWidget;

class IEFileChooser {
public:
    enum Result { kChosen, kCancelled, kFailed };

    virtual ~IEFileChooser() = default;
    // An open dialog (the file must exist) or a save dialog (the wizard
    // asks before replacing a file), starting at path. filter is in the
    // "Name (*.ext)|*.ext|...||" form.
    virtual Result Choose(QWidget* parent, bool open, const QString& path, const QString& filter,
        const QString& defaultExtension, QString& chosen)
        = 0;
};

// The chooser in use: the desktop's file dialog unless one is installed.
IEFileChooser& CurrentFileChooser();
// Installs a chooser (not owned); null restores the file dialog. Returns
// the previous one.
IEFileChooser* SetFileChooser(IEFileChooser* chooser);
// "Name (*.ext)|*.ext|All Files(*.*)|*.*||" as a file dialog's name filters.
QStringList NameFilters(const QString& filter);
