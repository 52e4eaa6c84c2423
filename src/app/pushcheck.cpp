#include "pushcheck.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace
{
constexpr int IconSide = 32;
constexpr int IconToCaption = 2;
} // namespace

PushCheck::PushCheck(const QIcon &icon, const QString &caption, QWidget *parent)
    : QPushButton(icon, caption, parent)
{
    setCheckable(true);
    setAutoDefault(false);
    setIconSize(QSize(IconSide, IconSide));
}

bool PushCheck::TakePress()
{
    if (!isChecked())
        return false;
    setChecked(false);
    return true;
}

void PushCheck::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    QRect content = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    if (option.state & (QStyle::State_Sunken | QStyle::State_On))
        content.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                          style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;
    const int captionHeight = fontMetrics().boundingRect(content, flags, text()).height();
    // Icon and caption are centred as one block, the icon on top.
    const int top =
        content.top() + (content.height() - IconSide - IconToCaption - captionHeight) / 2;
    const QRect iconRect(content.left() + (content.width() - IconSide) / 2, top, IconSide,
                         IconSide);
    icon().paint(&painter, iconRect, Qt::AlignCenter,
                 isEnabled() ? QIcon::Normal : QIcon::Disabled);
    const QRect captionRect(content.left(), iconRect.bottom() + 1 + IconToCaption, content.width(),
                            captionHeight);
    painter.drawItemText(captionRect, flags, palette(), isEnabled(), text(), QPalette::ButtonText);
}
