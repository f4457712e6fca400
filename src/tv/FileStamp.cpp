#include "tv/FileStamp.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>

FileStamp FileStamp::of(const QString &path)
{
    FileStamp stamp;
    struct statx st;
    if (statx(AT_FDCWD, QFile::encodeName(path).constData(), 0,
              STATX_TYPE | STATX_SIZE | STATX_MTIME | STATX_BTIME, &st) != 0)
        return stamp;
    stamp.exists = true;
    stamp.folder = S_ISDIR(st.stx_mode);
    stamp.size = qint64(st.stx_size);
    stamp.modifiedNs = qint64(st.stx_mtime.tv_sec) * 1000000000 + st.stx_mtime.tv_nsec;
    stamp.createdMs = (st.stx_mask & STATX_BTIME)
                          ? qint64(st.stx_btime.tv_sec) * 1000 + st.stx_btime.tv_nsec / 1000000
                          : stamp.modifiedMs();
    return stamp;
}
