// Firefox ESR driven over WebDriver BiDi by puppeteer-core, for the Python
// web checks: one JSON request a line on standard input ({id, op, ...}),
// one JSON answer a line on standard output ({id, value} or {id, error}).
// The keys come as the W3C action sources a WebDriver client builds, which
// BiDi's input.performActions takes as they are.
'use strict';
const puppeteer = require('puppeteer-core');
const readline = require('readline');

let browser = null;
const pages = new Map();  // handle -> page
let current = null;
let preload = null;

function handleOf(page) {
    for (const [handle, known] of pages) if (known === page) return handle;
    const handle = `tab-${pages.size + 1}`;
    pages.set(handle, page);
    return handle;
}

async function newPage() {
    const page = await browser.newPage();
    if (preload) await page.evaluateOnNewDocument(preload);
    return page;
}

const ops = {
    async launch({ userDataDir, preload: source }) {
        preload = source;
        browser = await puppeteer.launch({
            browser: 'firefox', protocol: 'webDriverBiDi', executablePath: '/usr/bin/firefox-esr', headless: true,
            userDataDir, args: ['--width=1024', '--height=768'], defaultViewport: null,
            // The page may play sound without a click first, as the checks
            // start it by a click all the same.
            extraPrefsFirefox: { 'media.autoplay.default': 0 },
        });
        current = await newPage();
        return handleOf(current);
    },
    async get({ url }) { await current.goto(url, { waitUntil: 'load' }); return null; },
    async script({ body, args }) {
        const value = await current.evaluate((body, args) => new Function(body).apply(null, args), body, args);
        return value === undefined ? null : value;
    },
    async click({ selector }) { await current.click(selector); return null; },
    async actions({ sources }) { await current.mainFrame().browsingContext.performActions(sources); return null; },
    async newTab() { current = await newPage(); await current.bringToFront(); return handleOf(current); },
    async switchTo({ handle }) { current = pages.get(handle); await current.bringToFront(); return null; },
    async closeTab() {
        pages.delete(handleOf(current));
        await current.close();
        current = null;
        return null;
    },
    async quit() { if (browser) await browser.close(); browser = null; return null; },
};

const lines = readline.createInterface({ input: process.stdin });
let queue = Promise.resolve();
lines.on('line', (line) => {
    const request = JSON.parse(line);
    queue = queue.then(async () => {
        let answer;
        try {
            answer = { id: request.id, value: await ops[request.op](request) };
        } catch (error) {
            answer = { id: request.id, error: String(error && error.stack || error) };
        }
        process.stdout.write(JSON.stringify(answer) + '\n');
    });
});
lines.on('close', () => queue.then(() => ops.quit()).then(() => process.exit(0)));
