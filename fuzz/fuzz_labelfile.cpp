// The label-file reader on arbitrary bytes, as both kinds of file. Whatever
// it takes must have sound counts and write back to the same records.
#include "print/labelfile.h"

#include <QBuffer>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (const u32 magic : {kStandardLabelMagic, kCustomLabelMagic}) {
        QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        LabelDefinitionArray labels;
        ReadLabelRecords(buffer, magic, labels);
        if (!labels.empty() && labels.size() * LabelDefinition::kSize + 4 > size)
            std::abort();
        for (const LabelDefinition& label : labels)
            if (label.m_wRows < 1 || label.m_wRows > kMaxLabelCount || label.m_wColumns < 1
                || label.m_wColumns > kMaxLabelCount || label.Name().size() >= sizeof label.m_szName)
                std::abort();

        for (LabelDefinition& label : labels)
            label.m_wMaker = LABEL_CUSTOM;
        QByteArray written;
        QBuffer out(&written);
        out.open(QIODevice::WriteOnly);
        if (!WriteCustomLabelRecords(out, labels))
            std::abort();
        QBuffer in(&written);
        in.open(QIODevice::ReadOnly);
        LabelDefinitionArray again;
        if (ReadLabelRecords(in, kCustomLabelMagic, again) != LabelFileStatus::Ok
            || again.size() != labels.size())
            std::abort();
    }
    return 0;
}
