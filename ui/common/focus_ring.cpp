#include "ui/common/focus_ring.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QPointer>
#include <QWidget>

namespace orvane::ui {
namespace {

constexpr int kWidth = 2;

// A transparent layer over a whole window that draws the ring where the window's focus widget
// is now. Being over everything, it is repainted with whatever changes beneath it, so the ring
// follows a control that moves or grows without watching it.
class FocusLayer : public QWidget {
public:
    explicit FocusLayer(QWidget* window) : QWidget(window) {
        setObjectName("focusRing");
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        setGeometry(window->rect());
        window->installEventFilter(this);
        show();
        raise();
    }

    void follow(QWidget* target) {
        update(ringRect(tracked_));
        tracked_ = target;
        raise(); // above any control added since
        update(ringRect(tracked_));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parent()) {
            if (event->type() == QEvent::Resize)
                setGeometry(parentWidget()->rect());
            else if (event->type() == QEvent::ChildAdded || event->type() == QEvent::LayoutRequest)
                raise();
        }
        return false;
    }

    void paintEvent(QPaintEvent*) override {
        const QRect ring = ringRect(tracked_);
        if (ring.isEmpty())
            return;
        QPainter painter(this);
        QPen pen(focusRingColor(parentWidget()->palette()), kWidth);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.drawRect(
            QRectF(ring).adjusted(kWidth / 2.0, kWidth / 2.0, -kWidth / 2.0, -kWidth / 2.0));
    }

private:
    // The control's own rectangle in this layer, inside its edges, so that the ring never
    // reaches over a neighbour; empty when nothing is to be ringed.
    QRect ringRect(const QWidget* target) const {
        if (!target || !target->isVisible() || target->window() != parentWidget() ||
            target->focusPolicy() == Qt::NoFocus)
            return {};
        return QRect(target->mapTo(parentWidget(), QPoint(0, 0)), target->size());
    }

    QPointer<QWidget> tracked_;
};

void followFocus(QWidget*, QWidget* now) {
    if (!now)
        return;
    QWidget* window = now->window();
    auto* layer = dynamic_cast<FocusLayer*>(
        window->findChild<QWidget*>(QStringLiteral("focusRing"), Qt::FindDirectChildrenOnly));
    if (!layer)
        layer = new FocusLayer(window);
    layer->follow(now);
}

} // namespace

QColor focusRingColor(const QPalette& palette) {
    return palette.color(QPalette::Active, QPalette::Highlight);
}

void installFocusRing() {
    QObject::connect(qApp, &QApplication::focusChanged, qApp, &followFocus);
    if (QWidget* now = QApplication::focusWidget())
        followFocus(nullptr, now);
}

} // namespace orvane::ui
