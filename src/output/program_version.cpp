#include "output/program_version.h"

#include <QStringList>

#ifdef Q_OS_WIN
#include <QDir>
#include <QVector>
#include <windows.h>
#endif

namespace vz {

QString ProgramVersion::text() const {
    return QStringList{QString::number(major), QString::number(minor), QString::number(release),
                       QString::number(build)}
        .join(QLatin1Char('.'));
}

ProgramVersion buildVersion() {
    return ProgramVersion{VZ_VERSION_MAJOR, VZ_VERSION_MINOR, VZ_VERSION_PATCH, VZ_VERSION_TWEAK};
}

ProgramVersion programVersion(const QString& executablePath) {
#ifdef Q_OS_WIN
    const std::wstring path = QDir::toNativeSeparators(executablePath).toStdWString();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    if (size > 0) {
        QVector<char> buffer(int(size));
        VS_FIXEDFILEINFO* info = nullptr;
        UINT length = 0;
        if (GetFileVersionInfoW(path.c_str(), 0, size, buffer.data()) &&
            VerQueryValueW(buffer.data(), L"\\", reinterpret_cast<void**>(&info), &length) &&
            info && length >= sizeof(VS_FIXEDFILEINFO)) {
            return ProgramVersion{
                int(HIWORD(info->dwFileVersionMS)), int(LOWORD(info->dwFileVersionMS)),
                int(HIWORD(info->dwFileVersionLS)), int(LOWORD(info->dwFileVersionLS))};
        }
    }
#else
    Q_UNUSED(executablePath);
#endif
    return buildVersion();
}

} // namespace vz
