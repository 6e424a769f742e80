// The plate task from end to end on the small data package, through the
// real computing library: Tasks|Plates on a plate list, Plot of plate on a
// plate at the opposition point, the plot with the objects the search found
// placed by ERFA's projection, Object Info on a click, Plot of plate offered
// again when the plot closes, and Object list over the same search.
#include <erfa.h>
#include <gtest/gtest.h>

#include <QItemSelectionModel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTreeView>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "framework/childframe.h"
#include "framework/ids.h"
#include "task_support.h"
#include "zelvo/app/commands.h"
#include "zelvo/observations/platedata.h"
#include "zelvo/observations/platelist.h"
#include "zelvo/observations/plateplot.h"
#include "zelvo/shell/app.h"
#include "zelvomat/small_package.h"

namespace {

namespace fs = std::filesystem;
using namespace zelvo;
using namespace zeltest;

// Opposition in late September 2025: the Sun near 12h, the plate around 0h.
const char* kLine = "OPPOS-2025     2025 09 21.50000 00 10 00.00 +01 00 00.0   120.0   30.0       500";

template <class V>
V* active_view(TaskApp& app) {
    fw::ChildFrame* f = app.frame()->activeChildFrame();
    return f != nullptr ? dynamic_cast<V*>(f->view()) : nullptr;
}

TEST(PlatesEndToEnd, PlotOfPlateShowsTheObjectsTheSearchFound) {
    const std::string pkg = zeltest::small_package_dir();
    ASSERT_FALSE(pkg.empty()) << "the small data package cannot be built (see package-small/build.log)";
    zeltest::ScopedWorkDir work;
    for (const char* f : {"setpar", "setpath"})
        fs::copy_file(fs::path(pkg) / "work" / f, work.path() / f, fs::copy_options::overwrite_existing);
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService useBoxes{boxes};
    fw::ScriptedFileDialogService files;
    fw::ScopedFileDialogService useFiles{files};
    ScriptedDialogs dialogs;
    dialogs.magnitudeAnswer = "25.0";
    ZelvomatLibrary lib;
    TaskApp app(lib, work.dir_slash() + "bin/");
    app.setDialogs(&dialogs);
    ASSERT_TRUE(app.initInstance());
    // Two plate list windows; the plot is asked for in the first.
    for (const char* name : {"plates.plt", "other.plt"}) {
        std::ofstream(work.path() / name, std::ios::binary) << kLine << "\r\n";
        files.answers.push_back(work.dir_slash() + name);
        app.OnTasksPlates();
    }
    auto* other = active_view<CUltPlateView>(app);
    ASSERT_NE(other, nullptr);
    fw::ChildFrame* otherFrame = app.frame()->activeChildFrame();
    app.frame()->mdiArea()->activatePreviousSubWindow();
    auto* list = active_view<CUltPlateView>(app);
    ASSERT_NE(list, nullptr);
    ASSERT_NE(list, other);
    EXPECT_TRUE(app.queryCommand(cmd::kPlatePlot).enabled);
    list->list()->selectionModel()->select(list->model().index(0, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);

    ASSERT_TRUE(app.routeCommand(cmd::kPlatePlot));
    auto* plot = active_view<CPlatePict>(app);
    ASSERT_NE(plot, nullptr) << (boxes.shown.empty() ? "" : boxes.shown.back().text);
    PlatePicture& pic = *plot->picture();
    ASSERT_GE(pic.objects().size(), 1u) << (boxes.shown.empty() ? "" : boxes.shown.back().text);
    // Plot of plate is held back in the window that asked for the plot,
    // not in the other plate list.
    EXPECT_FALSE(list->plotAllowed());
    EXPECT_TRUE(other->plotAllowed());
    app.frame()->mdiArea()->setActiveSubWindow(otherFrame);
    EXPECT_TRUE(app.queryCommand(cmd::kPlatePlot).enabled);
    app.frame()->mdiArea()->setActiveSubWindow(plot->frame());
    plot->view()->updateWindow();
    const PlateGeometry& g = pic.geometry();
    ASSERT_GT(g.scale, 0);
    double tanRA = 0, tanDecl = 0;
    PlateHalfSizeTangents(ParsePlateLine(kLine), tanRA, tanDecl);
    for (std::size_t k = 0; k < pic.objects().size(); ++k) {
        SCOPED_TRACE(pic.objects()[k].nameText());
        double xi = 0, eta = 0;
        ASSERT_EQ(eraTpxes(pic.objects()[k].alpha(), pic.objects()[k].delta(), g.alpha0, g.delta0, &xi, &eta), 0);
        // On the plate the search was asked for.
        EXPECT_LE(std::fabs(xi), tanRA + 1e-6);
        EXPECT_LE(std::fabs(eta), tanDecl + 1e-6);
        EXPECT_NEAR(pic.pixels()[k].x, g.cx - xi * g.scale, 0.51);
        EXPECT_NEAR(pic.pixels()[k].y, g.cy - eta * g.scale, 0.51);
        // A daily motion of a main-belt object near opposition: under a
        // degree a day, not zero.
        const double m = std::hypot(pic.objects()[k].motionXi, pic.objects()[k].motionEta);
        EXPECT_GT(m, 0.0);
        EXPECT_LT(m, 1.0 * 3.141592653589793 / 180);
    }
    std::vector<ObjectInfo> shown;
    plot->showInfo = [&shown](const ObjectInfo& i) { shown.push_back(i); };
    plot->buttonDown(fw::MouseButton::Left, pic.pixels()[0]);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_FALSE(shown[0].name.empty());

    // Closing the plot offers Plot of plate again.
    app.frame()->activeChildFrame()->close();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(list->plotAllowed());
}

}  // namespace
