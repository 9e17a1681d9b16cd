#pragma once

#include "itemreader.h"
#include "temporaryfile.h"

#include <QString>

/**
 * Keeps the blanks that an ItemReader holds back beyond those it keeps in memory, in a temporary
 * file in the folder for temporary files, made when first needed and gone when this ends.
 */
class HeldBlankFile final : public BlankStore
{
public:
    HeldBlankFile();
    ~HeldBlankFile() override;

    void keep(const char *data, std::size_t size) override;
    void release(ItemSink &sink) override;
    void forget() override;

    /** Empty while every byte was kept; else why not. */
    QString errorString() const { return m_error; }

private:
    void fail(const QString &reason);

    TemporaryFile m_file;
    qint64 m_size = 0;
    QString m_error;
};
