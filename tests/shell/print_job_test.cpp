// The print dialog's page range: every page offered, the first 40 chosen, and whatever range
// the user then chooses is what prints.
#include "shell/print_job.h"

#include <gtest/gtest.h>

#include <QPrintDialog>
#include <QPrinter>

#include "tests/shell/qt_application.h"

namespace corvane::shell {
namespace {

TEST(PrintJob, TheDialogOffersEveryPageWithTheFirstFortyChosen) {
    testing::TestApplication();
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer);
    OfferPages(dialog, printer, 41);
    EXPECT_EQ(dialog.minPage(), 1);
    EXPECT_EQ(dialog.maxPage(), 41);
    EXPECT_EQ(printer.printRange(), QPrinter::PageRange);
    EXPECT_EQ(ChosenPages(printer, 41), (std::pair{1, 40}));
    printer.setFromTo(35, 41);
    EXPECT_EQ(ChosenPages(printer, 41), (std::pair{35, 41}));
    printer.setPrintRange(QPrinter::AllPages);
    EXPECT_EQ(ChosenPages(printer, 41), (std::pair{1, 41}));

    QPrintDialog small(&printer);
    OfferPages(small, printer, 3);
    EXPECT_EQ(ChosenPages(printer, 3), (std::pair{1, 3}));
}

}  // namespace
}  // namespace corvane::shell
