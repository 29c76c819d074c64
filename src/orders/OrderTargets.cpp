#include "orders/OrderTargets.h"

namespace {

OrderLinesTarget *g_newOrderForm = nullptr;
OrderLinesTarget *g_updateForm = nullptr;

bool isNewOrderForm(const QString &callingForm)
{
    return callingForm == QLatin1String("A");
}

} // namespace

void OrderLinesTarget::registerForm(const QString &callingForm, OrderLinesTarget *form)
{
    (isNewOrderForm(callingForm) ? g_newOrderForm : g_updateForm) = form;
}

void OrderLinesTarget::unregisterForm(OrderLinesTarget *form)
{
    if (g_newOrderForm == form)
        g_newOrderForm = nullptr;
    if (g_updateForm == form)
        g_updateForm = nullptr;
}

OrderLinesTarget *OrderLinesTarget::forCallingForm(const QString &callingForm)
{
    return isNewOrderForm(callingForm) ? g_newOrderForm : g_updateForm;
}
