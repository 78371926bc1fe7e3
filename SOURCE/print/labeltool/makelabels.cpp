// Makes the standard label file from the table of label sheets:
//   tolva_makelabels <table.csv> <tlvlbl.data>
#include "impexp/delimitedtext.h"
#include "platform/savefile.h"
#include "print/labelfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <table.csv> <tlvlbl.data>\n", argv[0]);
        return 2;
    }
    QFile table(QString::fromLocal8Bit(argv[1]));
    if (!table.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "%s: %s\n", argv[1], qPrintable(table.errorString()));
        return 1;
    }
    std::vector<std::vector<std::string>> rows;
    DelimitedTextFile reader(table);
    for (bool end = false; !end;) {
        std::vector<std::string> fields;
        if (!reader.ReadRecord(',', fields, end, false)) {
            std::fprintf(stderr, "%s: %s\n", argv[1], reader.Error().c_str());
            return 1;
        }
        if (!fields.empty() && !(fields.size() == 1 && fields[0].empty()))
            rows.push_back(fields);
    }
    QSaveFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly) || out.write(MakeStandardLabelFile(rows)) < 0
        || !CommitWholeFile(out)) {
        std::fprintf(stderr, "%s: %s\n", argv[2], qPrintable(out.errorString()));
        return 1;
    }
    return 0;
}
