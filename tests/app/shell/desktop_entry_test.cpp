// The desktop entry offers Clarivex for exactly the files it then takes: every name of every
// type the entry lists, as the system's MIME database spells them, and no name it takes that
// the entry leaves out.
#include "core/vocabulary/media_kind.h"
#include "support/temporary_folder.h"

#include <QMimeDatabase>
#include <QString>

#include <gtest/gtest.h>

#include <set>

using namespace clarivex;

TEST(DesktopEntry, OffersExactlyTheFilesTheProgramTakes) {
    const std::string entry = test::readFile(CLARIVEX_DESKTOP_ENTRY);
    const auto line = entry.find("\nMimeType=");
    ASSERT_NE(line, std::string::npos);
    const QString types =
        QString::fromStdString(entry.substr(line + 10, entry.find('\n', line + 1) - line - 10));
    // Files that share a type with videos but hold none: Blu-ray indexes and 3GPP sound.
    const std::set<std::string> noMedia{"cpi", "clpi", "mpl", "mpls", "bdm", "bdmv", "3ga"};
    std::set<std::string> offered;
    const QMimeDatabase database;
    for (const QString& name : types.split(u';', Qt::SkipEmptyParts)) {
        const QMimeType type = database.mimeTypeForName(name);
        ASSERT_TRUE(type.isValid()) << name.toStdString();
        for (const QString& glob : type.globPatterns()) {
            const std::string extension = glob.sliced(2).toLower().toStdString();
            offered.insert(extension);
            EXPECT_TRUE(noMedia.contains(extension) || mediaKindOf("x." + extension))
                << name.toStdString() << " offers " << glob.toStdString();
        }
    }
    for (const auto* taken : {&imageExtensions(), &videoExtensions()})
        for (const std::string& extension : *taken)
            EXPECT_TRUE(offered.contains(extension)) << "no type listed for ." << extension;
}
