#pragma once

#include "common/Prompter.h"

// The message boxes tracking shows, word for word.

// No history was found on the page.
inline trovix::MessageBoxRequest noResultBox()
{
    return {QStringLiteral("查询未果!\r\n1.可能是系统繁忙，请稍后再试或者将延迟时间设置的大点！\r\n2."
                           "可能是单号错误或者无此单号，请认真核对！"),
            QStringLiteral("sorry")};
}

// The telephone row was picked.
inline trovix::MessageBoxRequest telephoneBox()
{
    return {QStringLiteral("请输入电话号码"), QString()};
}
