// A result page whose history holds one line of 7.8 million characters.
addToHistory('2024-03-02 转运中心 '.repeat(487500));
