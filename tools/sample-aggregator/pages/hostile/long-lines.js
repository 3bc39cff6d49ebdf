// A result page whose history holds 100,000 lines of 67 characters.
addToHistory(Array(100001).join('2024-03-02 17:03:19 北京市海淀区中关村营业部 派件中，快递员 张师傅 电话 13800000000 请保持电话畅通\n'));
