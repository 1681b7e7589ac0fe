#include "platform/SystemError.h"

#include <cerrno>
#include <cstring>

namespace {

const char *OurWords(int error) {
    switch (error) {
    case ENOENT:
        return "沒有此檔案或資料夾";
    case EACCES:
        return "沒有存取權限";
    case EPERM:
        return "不允許此操作";
    case ENOSPC:
        return "裝置上已無空間";
    case EDQUOT:
        return "已超過磁碟配額";
    case EROFS:
        return "檔案系統是唯讀的";
    case EISDIR:
        return "這是資料夾";
    case ENOTDIR:
        return "路徑中有一段不是資料夾";
    case ENOTEMPTY:
        return "資料夾不是空的";
    case EFBIG:
        return "檔案太大";
    case EIO:
        return "輸入／輸出錯誤";
    case EMFILE:
        return "這個程式開啟的檔案太多";
    case ENFILE:
        return "系統開啟的檔案太多";
    case ENAMETOOLONG:
        return "檔名太長";
    case ELOOP:
        return "符號連結的層數太多";
    case EXDEV:
        return "不能跨裝置搬移或連結";
    case ENOMEM:
        return "記憶體不足";
    case ETXTBSY:
        return "檔案正在使用中";
    case EBUSY:
        return "裝置或資源正在使用中";
    case EEXIST:
        return "檔案已存在";
    case EINVAL:
        return "引數無效";
    case ENXIO:
        return "沒有此裝置或位址";
    case ENODEV:
        return "沒有此裝置";
    case ESTALE:
        return "網路檔案的代碼已失效";
    case ETIMEDOUT:
        return "連線逾時";
    case EAGAIN:
        return "資源暫時無法使用";
    case EINTR:
        return "系統呼叫被中斷";
    default:
        return nullptr;
    }
}

bool HasHan(const QString &text) {
    for (const QChar c : text)
        if (c.unicode() >= 0x3400 && c.unicode() <= 0x9FFF) return true;
    return false;
}

} // namespace

QString SystemErrorText(int error) {
    if (error == 0) error = EIO;
    char buffer[256];
    // The GNU form: returns the message, which may or may not be written into the buffer.
    const QString system = QString::fromLocal8Bit(strerror_r(error, buffer, sizeof buffer));
    if (HasHan(system)) return system;
    if (const char *ours = OurWords(error)) return QString::fromUtf8(ours);
    return system;
}
