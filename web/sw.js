// The player's service worker. On a static host that cannot send headers of
// its own (GitHub Pages, python3 -m http.server), it adds the two headers
// that make the page cross-origin isolated, so that the game's worker gets
// shared memory for its keys and its 5 ms sleep. Where the page cannot be
// isolated all the same (inside a cross-origin frame of a page that is not),
// it relays the keys: the game's flip asks for them with a synchronous
// request, which is answered 5 ms later with the key events that came.
'use strict';

// Key events waiting for each page, by the page's client name.
const waitingKeys = new Map();

self.addEventListener('install', () => self.skipWaiting());
self.addEventListener('activate', (event) => event.waitUntil(self.clients.claim()));

self.addEventListener('message', (event) => {
  const message = event.data;
  if (!message || message.t !== 'key' || typeof message.client !== 'string') return;
  let events = waitingKeys.get(message.client);
  if (!events) waitingKeys.set(message.client, (events = []));
  if (events.length < 1024) events.push(message.code | 0);
});

function isolated(response) {
  if (response.status === 0) return response;
  const headers = new Headers(response.headers);
  headers.set('Cross-Origin-Opener-Policy', 'same-origin');
  headers.set('Cross-Origin-Embedder-Policy', 'require-corp');
  headers.set('Cross-Origin-Resource-Policy', 'same-origin');
  return new Response(response.body, {
    status: response.status,
    statusText: response.statusText,
    headers: headers,
  });
}

function relayKeys(url) {
  const client = url.searchParams.get('client') || '';
  return new Promise((resolve) => setTimeout(resolve, 5)).then(() => {
    const events = waitingKeys.get(client) || [];
    waitingKeys.delete(client);
    return new Response(JSON.stringify(events), {
      headers: { 'Content-Type': 'application/json', 'Cache-Control': 'no-store' },
    });
  });
}

self.addEventListener('fetch', (event) => {
  const url = new URL(event.request.url);
  if (url.origin !== self.location.origin) return;
  if (url.pathname.endsWith('/oru-relay')) {
    event.respondWith(relayKeys(url));
    return;
  }
  event.respondWith(fetch(event.request).then(isolated));
});
