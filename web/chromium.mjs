// How the tests and the benchmark start Debian's Chromium on this project's machines: headless,
// without the sandbox (they run as root), and with none of Chromium's own traffic to Google's
// services, which a closed network refuses and which no test may depend on.

export const kChromiumPath = process.env.CHROMIUM ?? '/usr/bin/chromium';

export const kChromiumArgs = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
    '--disable-default-apps', '--disable-domain-reliability', '--no-default-browser-check',
    '--disable-features=Translate,OptimizationHints,MediaRouter,AutofillServerCommunication'];
