// Help > Help tells an operator who started the program from the desktop
// menu where the files went, and how to use another folder.
#include <QString>

#include <gtest/gtest.h>

#include "help/help_dialog.h"

namespace kelvora::gui::test {
namespace {

TEST(HelpText, NamesTheMenuFolderAndHowToUseAnother) {
  const QString text = HelpText(QStringLiteral("/home/op/.local/share/kelvora"));
  for (const char* phrase : {"desktop menu", "$XDG_DATA_HOME/kelvora", "~/.local/share/kelvora",
                             "first start", "copy of the sample", "open a terminal there",
                             "<code>kelvora</code>"}) {
    EXPECT_TRUE(text.contains(QString::fromUtf8(phrase))) << phrase;
  }
}

}  // namespace
}  // namespace kelvora::gui::test
