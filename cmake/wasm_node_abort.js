// Under node, an abort ends the process by SIGABRT, as a native abort does, instead of with a
// JavaScript error and its stack on the diagnostics.
Module['onAbort'] = function () {
  if (typeof process === 'object' && typeof process.kill === 'function') {
    process.kill(process.pid, 'SIGABRT');
  }
};
