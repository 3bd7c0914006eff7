// Renders the W1 template with EJS or Handlebars:
//   node w1_node.js ejs|handlebars TEMPLATE MODEL OUT
'use strict';
const fs = require('fs');
const path = require('path');

const [engine, templatePath, modelPath, outPath] = process.argv.slice(2);
const model = JSON.parse(fs.readFileSync(modelPath, 'utf8'));
const source = fs.readFileSync(templatePath, 'utf8');
const modules = path.join(__dirname, '..', 'node_modules');
let text;
if (engine === 'ejs') {
    const ejs = require(path.join(modules, 'ejs'));
    text = ejs.render(source, model, { escape: (s) => String(s) });
} else if (engine === 'handlebars') {
    const Handlebars = require(path.join(modules, 'handlebars'));
    Handlebars.registerHelper('upper', (s) => String(s).toUpperCase());
    Handlebars.registerHelper('left', (s, n) => String(s).substring(0, n));
    Handlebars.registerHelper('substr', (s, start) => String(s).substring(start));
    Handlebars.registerHelper('eq', (a, b) => a === b);
    Handlebars.registerHelper('or', (a, b) => a || b);
    Handlebars.registerHelper('keys', (fields) => fields.filter((f) => f.key));
    text = Handlebars.compile(source, { noEscape: true })(model);
} else {
    console.error('unknown engine ' + engine);
    process.exit(2);
}
fs.writeFileSync(outPath, text.replace(/\n/g, '\r\n'));
