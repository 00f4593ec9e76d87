// A locale that writes numbers with a decimal comma, as Qt sets a German
// user's at start-up: de_DE.UTF-8, made into a folder of the test's own when
// the system lacks it (the locales package holds its source).
#pragma once

#include <QTemporaryDir>

#include <clocale>
#include <cstdlib>
#include <string>

namespace tavimo::test {

// Sets LC_ALL to de_DE.UTF-8; false when it cannot be made. Set "C" again
// when done.
inline bool UseDecimalComma() {
    if (std::setlocale(LC_ALL, "de_DE.UTF-8"))
        return true;
    static QTemporaryDir made;
    if (!made.isValid())
        return false;
    const std::string folder = made.path().toStdString();
    if (std::system(
            ("localedef -i de_DE -f UTF-8 " + folder + "/de_DE.UTF-8 2>/dev/null").c_str()) != 0)
        return false;
    setenv("LOCPATH", folder.c_str(), 1);
    return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
}

}  // namespace tavimo::test
