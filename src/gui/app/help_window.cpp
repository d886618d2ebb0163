#include "gui/app/help_window.h"
#include "modules/desktop/qt_platform.h"
#include "core/base/services.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace quorvex {

HelpWindow::HelpWindow(Shell& shell, std::filesystem::path folder, QWidget* parent)
    : QWidget(parent, Qt::Window), shell_(shell), folder_(std::move(folder))
{
    setObjectName("HelpWindow");
    setWindowTitle("Quorvex Help");
    resize(900, 700);
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    auto* back = new QPushButton("Back");
    back->setObjectName("HelpBackButton");
    auto* forward = new QPushButton("Forward");
    forward->setObjectName("HelpForwardButton");
    auto* contents = new QPushButton("Contents");
    contents->setObjectName("HelpContentsButton");
    auto* external = new QPushButton("Open in browser");
    external->setObjectName("OpenInBrowserButton");
    bar->addWidget(back);
    bar->addWidget(forward);
    bar->addWidget(contents);
    bar->addStretch();
    bar->addWidget(external);
    layout->addLayout(bar);

    browser_ = new QTextBrowser;
    browser_->setObjectName("HelpBrowser");
    browser_->setOpenLinks(false);   // topics here, web sites in the desktop's browser
    layout->addWidget(browser_, 1);
    problem_ = new QLabel;
    problem_->setObjectName("HelpProblem");
    problem_->setWordWrap(true);
    problem_->hide();
    layout->addWidget(problem_);

    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(contents, &QPushButton::clicked, this, [this] { showTopic("index"); });
    connect(external, &QPushButton::clicked, this, [this] { OpenInBrowserClick(); });
    connect(browser_, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) { follow(link); });
    connect(browser_, &QTextBrowser::sourceChanged, this, [this](const QUrl& source) {
        setWindowTitle("Quorvex Help \u2014 " + browser_->documentTitle());
        const bool missing = !source.isLocalFile() || !std::filesystem::exists(toPath(source.toLocalFile()));
        problem_->setText(missing ? "This help page is missing: reinstall Quorvex to have it back." : QString());
        problem_->setVisible(missing);
    });
}

void HelpWindow::showTopic(const QString& topic)
{
    const auto hash = topic.indexOf('#');
    auto url = QUrl::fromLocalFile(fromPath(folder_ / toPath(topic.left(hash) + ".html")));
    if (hash >= 0)
        url.setFragment(topic.mid(hash + 1));
    browser_->setSource(url);
    show();
    raise();
    activateWindow();
}

QUrl HelpWindow::page() const
{
    return browser_->source();
}

void HelpWindow::follow(const QUrl& link)
{
    const auto target = browser_->source().resolved(link);
    if (target.isLocalFile()) {
        browser_->setSource(target);
        return;
    }
    const auto problem = shell_.open(target.toString().toStdString(), {}, {}, Shell::Window::Maximised);
    problem_->setText(QString::fromStdString(problem));
    problem_->setVisible(!problem.empty());
}

void HelpWindow::OpenInBrowserClick()
{
    auto url = browser_->source();
    url.setFragment({});
    const auto problem = shell_.open(url.toLocalFile().toStdString(), {}, {}, Shell::Window::Maximised);
    // The topic stays shown here.
    problem_->setText(problem.empty() ? QString() : QString::fromStdString(problem + "; the topic is shown here"));
    problem_->setVisible(!problem.empty());
}

} // namespace quorvex
