#include "zelvo/app/progressdlg.h"

#include <QDialogButtonBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "framework/linelist.h"

namespace zelvo {

int ProgressStep(int, int) { return fw::progress().stepIt(); }

int ProgressStepBy(int increment) { return fw::progress().stepBy(increment); }

bool runWithProgress(int lower, int upper, int position, int step, const std::function<void()>& call) {
    fw::Progress& p = fw::progress();
    if (!p.begin(lower, upper, position, step)) return false;
    call();
    p.end();
    return true;
}

CCalcProgressDlg::CCalcProgressDlg(QWidget* parent) : fw::Dialog(parent), progressBar_(new QProgressBar) {
    setWindowTitle(QStringLiteral("Calculation progress"));
    setFont(fw::fixed_font(11));
    progressBar_->setObjectName(QStringLiteral("ctl1098"));
    progressBar_->setTextVisible(false);
    progressBar_->setMinimumWidth(260);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("id2"));
    QObject::connect(buttons, &QDialogButtonBox::rejected, this, [this] { onCancel(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(progressBar_);
    layout->addWidget(buttons);
    // A dialog of one size: the window manager gives it no resize handle,
    // the strip with grips along the bottom edge of resizable windows.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CCalcProgressDlg::open(int lower, int upper, int position) {
    progressBar_->setRange(lower, upper);
    progressBar_->setValue(position);
    createModeless();
    if (QWidget* p = parentWidget()) move(p->geometry().center() - rect().center());
}

void CCalcProgressDlg::setPosition(int position) { progressBar_->setValue(position); }

void CCalcProgressDlg::close() { destroyWindow(); }

void CCalcProgressDlg::onCancel() {
    // requestCancel closes the window through close().
    fw::progress().requestCancel();
    if (isVisible()) destroyWindow();
}

}  // namespace zelvo
