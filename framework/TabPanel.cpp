// The tab panel: pages from the CR-separated TabDefinition, and the controls
// on each page kept at their window coordinates whatever Qt does with the pages.
#include <QEvent>
#include <QTabWidget>

#include "framework/Controls.h"
#include "framework/MainThread.h"
#include "framework/WidgetText.h"
#include "framework/Window.h"

namespace fw {

// Watches the pages: when Qt lays out the page shown, the hidden pages get the
// same place, and the controls of a page that moved are placed again.
class TabPageWatcher : public QObject {
public:
    TabPageWatcher(TabPanel* panel, QObject* parent) : QObject(parent), panel_(panel) {}
    void Detach() { panel_ = nullptr; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (panel_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
            panel_->PageGeometryChanged(static_cast<QWidget*>(watched));
        return false;
    }

private:
    TabPanel* panel_;
};

namespace {
std::vector<std::string> PageCaptions(const String& definition) {
    std::vector<std::string> captions;
    const std::string& text = definition.ToUTF8();
    if (text.empty()) return captions;
    size_t start = 0;
    while (true) {
        const size_t cr = text.find('\r', start);
        captions.push_back(text.substr(start, cr == std::string::npos ? std::string::npos : cr - start));
        if (cr == std::string::npos) break;
        start = cr + 1;
    }
    return captions;
}
}  // namespace

QTabWidget* TabPanel::Tabs() const { return static_cast<QTabWidget*>(Widget()); }

QWidget* TabPanel::MakeWidget(QWidget* parent) { return new QTabWidget(parent); }

void TabPanel::Wire() {
    watcher_ = new TabPageWatcher(this, Tabs());
    ShowPages();
    Connect(&QTabWidget::currentChanged, [this](int index) {
        if (index >= 0) value_ = index;  // the user's choice of page
    });
}

TabPanel::~TabPanel() {
    // The widget may outlive the control by a moment (it is deleted later).
    if (auto* watcher = static_cast<TabPageWatcher*>(watcher_.data())) watcher->Detach();
}

void TabPanel::SetTabDefinition(const String& definition) {
    RequireMainThread();
    tabDefinition_ = definition;
    ShowPages();
}

void TabPanel::ShowPages() {
    QTabWidget* tabs = Tabs();
    if (!tabs) return;
    const int32_t wanted = value_;  // adding the first page makes it the current one
    const std::vector<std::string> captions = PageCaptions(tabDefinition_);
    QObject* watcher = watcher_.data();
    while (tabs->count() > int(captions.size())) {
        // Controls on a page that goes lie on the window again, hidden with their page gone.
        QWidget* page = tabs->widget(tabs->count() - 1);
        Ref<class Window> window = OwnerWindow();
        if (window)
            for (const Ref<Control>& c : window->Controls())
                if (auto* rc = dynamic_cast<RectControl*>(c.raw()); rc && rc->Widget() && rc->Widget()->parentWidget() == page)
                    rc->Widget()->setParent(window->Widget());
        tabs->removeTab(tabs->count() - 1);
        page->deleteLater();
    }
    for (size_t i = 0; i < captions.size(); ++i) {
        const QString caption = AsCaption(captions[i]);
        if (int(i) < tabs->count()) {
            tabs->setTabText(int(i), caption);
        } else {
            auto* page = new QWidget();
            page->installEventFilter(watcher);
            tabs->addTab(page, caption);
        }
    }
    if (wanted >= 0 && wanted < tabs->count()) tabs->setCurrentIndex(wanted);
    if (tabs->count() > 0) value_ = tabs->currentIndex();
}

int32_t TabPanel::PanelCount() const {
    RequireMainThread();
    return Tabs() ? Tabs()->count() : 0;
}

int32_t TabPanel::Value() const {
    RequireMainThread();
    if (Tabs() && Tabs()->count() > 0) return Tabs()->currentIndex();
    return value_;
}

void TabPanel::SetValue(int32_t page) {
    RequireMainThread();
    if (page < 0 || (Tabs() && Tabs()->count() > 0 && page >= Tabs()->count()))
        throw OutOfBoundsException("tab panel has no page " + std::to_string(page));
    value_ = page;
    if (Tabs() && page < Tabs()->count()) Tabs()->setCurrentIndex(page);
}

QWidget* TabPanel::Page(int32_t index) const {
    RequireMainThread();
    if (!Tabs() || index < 0 || index >= Tabs()->count())
        throw OutOfBoundsException(Name().ToUTF8() + " has no page " + std::to_string(index + 1));
    return Tabs()->widget(index);
}

void TabPanel::Place() {
    RequireMainThread();
    RectControl::Place();
    if (!Tabs()) return;
    for (int i = 0; i < Tabs()->count(); ++i) PlacePageControls(Tabs()->widget(i));
}

void TabPanel::PageGeometryChanged(QWidget* page) {
    QTabWidget* tabs = Tabs();
    if (tabs && page == tabs->currentWidget()) {
        for (int i = 0; i < tabs->count(); ++i) {
            QWidget* other = tabs->widget(i);
            if (other == page || other->geometry() == page->geometry()) continue;
            other->setGeometry(page->geometry());
            PlacePageControls(other);  // a hidden page gets its move event only when shown
        }
    }
    PlacePageControls(page);
}

void TabPanel::PlacePageControls(QWidget* page) {
    Ref<class Window> window = OwnerWindow();
    if (window.IsNil()) return;
    for (const Ref<Control>& c : window->Controls())
        if (auto* rc = dynamic_cast<RectControl*>(c.raw()); rc && rc->Widget() && rc->Widget()->parentWidget() == page)
            rc->Place();
}

}  // namespace fw
