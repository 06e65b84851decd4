// Serves the peer's folder on 127.0.0.1 (a free port, printed as "listening PORT") and writes
// the body of every POST to the file named on the command line.
//   node server.mjs FOLDER DATAFILE
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';

const [root, dataFile] = process.argv.slice(2).map((p) => path.resolve(p));
const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.jpg': 'image/jpeg',
};

const server = http.createServer((request, response) => {
  if (request.method === 'POST') {
    const chunks = [];
    request.on('data', (chunk) => chunks.push(chunk));
    request.on('end', () => {
      fs.writeFileSync(dataFile, Buffer.concat(chunks));
      response.end('ok');
    });
    return;
  }
  const wanted = path.resolve(root, '.' + decodeURIComponent(new URL(request.url, 'http://x').pathname));
  if (!wanted.startsWith(root + path.sep)) {
    response.writeHead(403);
    response.end();
    return;
  }
  fs.readFile(wanted, (error, body) => {
    if (error) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, {'Content-Type': types[path.extname(wanted)] ?? 'application/octet-stream'});
    response.end(body);
  });
});

server.listen(0, '127.0.0.1', () => console.log(`listening ${server.address().port}`));
