// Opening a link in the desktop's browser or mail program. Only web and
// mail addresses are opened: a link text never starts a program or opens a
// local file.
#pragma once

#include <QUrl>
#include <string>

// The address a link text stands for, or an invalid URL when it is not an
// http, https or mailto address. Text without a scheme is read as a web
// address, as a browser's address bar would.
QUrl LinkUrl(const std::string& target);

// Opens the link; false when it was refused or nothing could open it.
bool OpenLink(const std::string& target);

class QString;

// One of the program's own installed pages: an existing HTML file inside
// the folder, named by its own path. Anything else gives an invalid URL.
QUrl LocalPageUrl(const QString& path, const QString& folder);
bool OpenLocalPage(const QString& path, const QString& folder);
