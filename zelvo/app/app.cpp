#include "app.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include "childframes.h"
#include "commands.h"
#include "framework/document.h"
#include "framework/help.h"
#include "framework/ids.h"
#include "framework/linelist.h"
#include "framework/messages.h"
#include "startup.h"
#include "tables.h"

namespace zelvo {

using F = FrameClass;

const TemplateInfo kTemplates[15] = {
    {129, "Observ1", "Observ2", "Observatory Files (*.obs)", ".obs", "Zelvo.Document", "Zelvo Document", int(F::CChildFrame)},
    {147, "Eph", "Eph2", "Ephemerides files (*.eph)", ".eph", "Eph.Document", "Eph Document", int(F::CChildFrm7)},
    {146, "UltPla", "UltPla2", "Plate files (*.plt)", ".plt", "UltPlate.Document", "Plate Document", int(F::CChildFrm6)},
    {145, "PlaLi", "PlaLi2", "", "", "PlateList.Document", "PlateList Document", int(F::CChildFrame)},
    {110, "PlaLT", "PlaLT2", "", "", "PlateList.Document", "PlateList Document", int(F::CChildFrm3)},
    {148, "Pict", "Pict2", "", "", "Picture.Document", "Picture Document", int(F::CChildFrame)},
    {151, "Orb", "Orb2", "", "", "Orbit.Document", "Orbit Document", int(F::CChildFrame)},
    {158, "Trace", "Trace2", "", "", "Trace.Document", "Trace Document", int(F::CChildFrame)},
    {167, "OC", "OC", "O-C files (*.oc)", ".oc", "OC.Document", "O-C Document", int(F::CChildOC)},
    {165, "OCRes", "OCRes", "OCRes Files(*.oc2)", ".oc2", "OCRes.Document", "OCRes Document", int(F::CChildFrm2)},
    {168, "Indent", "Indent", "Identification files (*.idn)", ".idn", "Indent.Document", "Indent Document", int(F::CChildFrm4)},
    {164, "IndRes", "IndRes", "Identification result files(*.id*)", ".idn", "IndRes.Document", "IndRes Document", int(F::CChildFrm5)},
    {104, "Elements", "Elements", "", "", "Zelvo.Document", "Zelvo Document", int(F::CChildFrame)},
    {112, "Histogram", "Histogram", "", "", "Zelvo.Document", "Zelvo Document", int(F::CChildFrame)},
    {115, "Distribution", "Distribution", "", "", "Zelvo.Document", "Zelvo Document", int(F::CChildFrame)},
};

std::string document_string(const TemplateInfo& t) {
    return std::string("\n") + t.docName + "\n" + t.fileNewName + "\n" + t.filterName + "\n" + t.filterExt + "\n" +
           t.fileTypeId + "\n" + t.fileTypeName;
}

TaskApp::TaskApp(Library& lib, std::string programDir) : lib_(lib) {
    ctx_.ProgramDir = std::move(programDir);
    add_main_resources(resources());
    onCommandId(fw::ids::kAppAbout, [this] { OnAppAbout(); });
    onCommandId(cmd::kHelpHelp, [this] { OnHelpHelp(); });
    onCommandId(cmd::kTasksElements, [this] { taskNotAvailable("Elements"); });
    onCommandId(cmd::kTasksEphemerides, [this] { taskNotAvailable("Ephemerides"); });
    onCommandId(cmd::kTasksOc, [this] { taskNotAvailable("O - C"); });
    onCommandId(cmd::kTasksIdentifications, [this] { taskNotAvailable("Identifications"); });
    onCommandId(cmd::kTasksPlates, [this] { taskNotAvailable("Plates"); });
    onCommandId(cmd::kTasksTracks, [this] { taskNotAvailable("Tracks"); });
    onCommandId(cmd::kTasksOrbits, [this] { taskNotAvailable("Orbits"); });
    onCommandId(cmd::kTasksObservatories, [this] { taskNotAvailable("Observatories"); });
}

void TaskApp::registerTemplates() {
    for (const TemplateInfo& t : kTemplates) {
        const auto frameClass = static_cast<FrameClass>(t.frameClass);
        // The task documents and views of each template take the place of
        // these line lists as the tasks are added.
        addDocTemplate(std::make_unique<fw::DocTemplate>(
            t.id, document_string(t), [] { return std::make_unique<fw::LineDocument>(); },
            [this, frameClass] { return new TaskChildFrame(frameClass, ctx_, lib_); },
            [] { return std::make_unique<fw::LineListView>(); }));
    }
}

bool TaskApp::initInstance() {
    registerTemplates();
    if (!run_startup_check(ctx_, lib_, ctx_.ProgramDir)) return false;
    auto frame = std::make_unique<MainFrame>(*this, ctx_);
    if (!frame->loadFrame(cmd::kMainFrame)) return false;
    frame->setWindowTitle(QString::fromStdString(ctx_.AppTitle));
    frame->resize(1024, 720);
    setMainFrame(std::move(frame));
    mainFrame()->showMaximized();
    return true;
}

bool TaskApp::onIdle(int count) {
    MainFrame* mf = frame();
    // With no document window active, a plot's toolbar gives way to the
    // main one, hidden.
    if (mf != nullptr && mf->activeChildFrame() == nullptr && ctx_.CurrentToolbarId != cmd::kMainFrame) {
        mf->toolBar()->hide();
        if (!mf->loadToolBar(cmd::kMainFrame)) return true;
        mf->update();
        ctx_.CurrentToolbarId = cmd::kMainFrame;
    }
    return fw::Application::onIdle(count);
}

void TaskApp::taskNotAvailable(const char* task) {
    fw::message(std::string("The task \"") + task + "\" is not available yet in this version of the program.",
                fw::Buttons::Ok, fw::Icon::Information);
}

void TaskApp::OnHelpHelp() { fw::show_help(AppDirectory(ctx_) + HelpFileName(ctx_)); }

void TaskApp::OnAppAbout() {
    QDialog dlg(mainFrame());
    dlg.setWindowTitle(QStringLiteral("About Zelvo"));
    auto* icon = new QLabel;
    icon->setPixmap(QApplication::style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(48, 48));
    auto* text = new QVBoxLayout;
    for (const char* line : {"ZELVO, Version 2.0", "Astrometry of minor planets and comets",
                             "Ephemerides, O-C, identifications, plates, orbits"}) {
        auto* l = new QLabel(QString::fromLatin1(line));
        l->setFont(fw::fixed_font(13));
        text->addWidget(l);
    }
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addLayout(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    auto* all = new QVBoxLayout(&dlg);
    all->addLayout(row);
    all->addWidget(buttons);
    dlg.exec();
}

}  // namespace zelvo
